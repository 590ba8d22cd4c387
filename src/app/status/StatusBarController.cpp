#include "app/status/StatusBarController.h"

#include "app/look/LevelFormatter.h"
#include "app/status/StatusBarIcon.h"
#include "log/SystemLog.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

namespace quillmark {

namespace {

constexpr int kReferenceCount = 3;

template <typename Result, typename Function>
Result callOr(const Function& function, Result fallback) {
    return function ? function() : fallback;
}

// Menus read "&" as the mark of a mnemonic; "&&" shows one ampersand.
QString menuText(QString text) { return text.replace(u'&', QStringLiteral("&&")); }

QString referenceTitle(const std::vector<ReferenceLevel>& references, int index, double splReference, bool& enabled) {
    enabled = false;
    if (index >= static_cast<int>(references.size())) return QStringLiteral("Reference %1").arg(index + 1);
    const ReferenceLevel& reference = references[static_cast<std::size_t>(index)];
    const QString label = QString::fromStdString(reference.label);
    if (!reference.level) return label + QStringLiteral(" \u2014 not set");
    enabled = true;
    return label + QStringLiteral("   ") +
           QString::fromStdString(LevelFormatter::savedLevel(*reference.level, splReference));
}

}  // namespace

StatusBarController::StatusBarController(Callbacks callbacks)
    : StatusBarController(std::move(callbacks), TrayHostColours::forThisDesktop()) {}

StatusBarController::StatusBarController(Callbacks callbacks, std::unique_ptr<TrayHostColours> hostColours)
    : connectionState(MixerEngineClient::ConnectionState::connecting()), callbacks_(std::move(callbacks)),
      connectionTitle_(QStringLiteral("Connecting\u2026")), trayMenu_(std::make_unique<QMenu>()),
      tray_(std::make_unique<QSystemTrayIcon>()), hostColours_(std::move(hostColours)) {
    refreshIcon();
    hostColours_->setListener([this] { refreshIcon(); });
    QCoreApplication::instance()->installEventFilter(this);
    tray_->setToolTip(connectionTitle_);
    attach(*trayMenu_);
    rebuild(*trayMenu_);
    tray_->setContextMenu(trayMenu_.get());
    // A click on the icon opens the same menu, as a status item does.
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) trayMenu_->popup(QCursor::pos());
    });
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        SystemLog::write("Quillmark: no system tray available; the status menu is not shown");
    }
    // Shown even without a tray host now: the icon docks when one appears later.
    tray_->show();
}

StatusBarController::~StatusBarController() {
    hostColours_->setListener({});
    QCoreApplication::instance()->removeEventFilter(this);
    tray_->hide();
}

// A new palette reaches the application object; a theme change reaches each window. Either may
// bring a new text colour for the icon.
bool StatusBarController::eventFilter(QObject* watched, QEvent* event) {
    const bool paletteChanged =
        event->type() == QEvent::ApplicationPaletteChange && watched == QCoreApplication::instance();
    if (paletteChanged || event->type() == QEvent::ThemeChange) refreshIcon();
    return false;
}

void StatusBarController::attach(QMenu& menu) {
    connect(&menu, &QMenu::aboutToShow, this, [this, target = &menu] { rebuild(*target); });
}

void StatusBarController::rebuild(QMenu& menu) {
    menu.clear();
    QAction* title = menu.addAction(menuText(connectionTitle_));
    title->setEnabled(false);
    menu.addSeparator();

    const bool metersVisible = callOr(callbacks_.isMetersVisible, false);
    QAction* meters = menu.addAction(metersVisible ? QStringLiteral("Hide Meters") : QStringLiteral("Show Meters"));
    meters->setCheckable(true);
    meters->setChecked(metersVisible);
    connect(meters, &QAction::triggered, this, [this] {
        if (callbacks_.onToggleMeters) callbacks_.onToggleMeters();
    });
    menu.addSeparator();

    addReferenceItems(menu);
    menu.addSeparator();

    addAction(menu, QStringLiteral("About Quillmark"), callbacks_.onAbout);
    addAction(menu, QStringLiteral("User Guide"), callbacks_.onOpenManual);
    addAction(menu, QStringLiteral("License Agreement"), callbacks_.onOpenLicenseAgreement);
    addAction(menu, QStringLiteral("Preferences\u2026"), callbacks_.onPreferences);
    menu.actions().back()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addAction(menu, QStringLiteral("Check for Updates\u2026"), callbacks_.onCheckForUpdates);
    menu.addSeparator();
    addAction(menu, QStringLiteral("Quit Quillmark"), callbacks_.onQuit);
}

void StatusBarController::addReferenceItems(QMenu& menu) {
    const std::vector<ReferenceLevel> references = callOr(callbacks_.referenceLevels, std::vector<ReferenceLevel>{});
    const double splReference = callOr(callbacks_.splReferenceAt0dBFS, 0.0);
    for (int index = 0; index < kReferenceCount; ++index) {
        bool enabled = false;
        QAction* item = menu.addAction(menuText(referenceTitle(references, index, splReference, enabled)));
        item->setData(index);
        item->setEnabled(enabled);
        connect(item, &QAction::triggered, this, [this, item] {
            if (callbacks_.onRecallReference) callbacks_.onRecallReference(item->data().toInt());
        });
    }
}

void StatusBarController::addAction(QMenu& menu, const QString& title, const std::function<void()>& callback) {
    QAction* item = menu.addAction(title);
    // The callback is looked up when chosen, from the stored set (the reference passed in is that set's).
    connect(item, &QAction::triggered, this, [&callback] {
        if (callback) callback();
    });
}

QString StatusBarController::titleFor(const MixerEngineClient::ConnectionState& state,
                                      std::optional<bool> interfaceOnline) {
    using Kind = MixerEngineClient::ConnectionState::Kind;
    switch (state.kind()) {
    case Kind::waiting: return QStringLiteral("Waiting for UA Console…");
    case Kind::failed: return QStringLiteral("Disconnected — ") + QString::fromStdString(state.text());
    case Kind::idle: return QStringLiteral("Idle");
    case Kind::connecting: return QStringLiteral("Connecting to UA Mixer Engine…");
    case Kind::ready:
        return interfaceOnline == false ? QStringLiteral("No interface detected") : QStringLiteral("Connected");
    case Kind::cancelled: return QStringLiteral("Disconnected");
    }
    return {};
}

void StatusBarController::updateConnectionTitle() {
    connectionTitle_ = titleFor(connectionState, interfaceOnline);
    tray_->setToolTip(connectionTitle_);
}

// A tray has no template images. The host's foreground reads on its panel; without one, the palette's
// text colour may match the panel (dark on dark), so a halo of the opposite lightness sets it off.
void StatusBarController::refreshIcon() {
    const std::optional<TrayColours> host = hostColours_->colours();
    const QColor ink = host ? host->foreground : QGuiApplication::palette().color(QPalette::WindowText);
    const QColor halo = host ? QColor(Qt::transparent) : StatusBarIcon::haloFor(ink);
    if (ink == ink_ && halo == halo_) return;
    ink_ = ink;
    halo_ = halo;
    tray_->setIcon(StatusBarIcon::icon(ink, halo));
}

}  // namespace quillmark
