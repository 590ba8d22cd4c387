#include "app/preferences/PreferencesView.h"

#include "app/ChangedValues.h"
#include "app/preferences/FieldWithUnit.h"
#include "app/preferences/HotkeysSection.h"
#include "app/preferences/PreferencesHeader.h"
#include "app/preferences/PreferencesRules.h"
#include "app/preferences/ReferenceLevelsSection.h"
#include "app/preferences/SPLSection.h"
#include "app/preferences/SettingCheckbox.h"
#include "app/preferences/kit/Caption.h"
#include "app/preferences/kit/Row.h"
#include "app/preferences/kit/SectionBox.h"
#include "app/preferences/kit/VellCheckbox.h"
#include "app/preferences/kit/VellNumericField.h"
#include "app/preferences/kit/VellSegmented.h"
#include "app/services/LoginItemController.h"
#include "app/settings/PreferencesStore.h"
#include "base/MainQueue.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace quillmark {

namespace {

constexpr double kFieldWidth = 64;
constexpr double kPickerWidth = 220;
constexpr double kChannelOrderWidth = 260;

QString text(std::string_view view) { return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size())); }

QString appearanceTitle(const HUDAppearance& appearance) {
    switch (appearance) {
    case HUDAppearance::system: return QStringLiteral("System");
    case HUDAppearance::light: return QStringLiteral("Light");
    case HUDAppearance::dark: return QStringLiteral("Dark");
    }
    return {};
}

QString sizeTitle(const HUDSize& size) {
    switch (size) {
    case HUDSize::small: return QStringLiteral("Small");
    case HUDSize::medium: return QStringLiteral("Medium");
    case HUDSize::large: return QStringLiteral("Large");
    }
    return {};
}

QWidget* vertical(QWidget* parent, const std::vector<QWidget*>& widgets, int spacing) {
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* widget : widgets) layout->addWidget(widget);
    layout->addStretch(1);
    return column;
}

}  // namespace

PreferencesView::PreferencesView(PreferencesStore& store, LoginItemController& loginItem,
                                 MonitorStateStore& monitorStore, MainQueue& queue, QWidget* parent)
    : VellWidget(parent), store_(store), loginItem_(loginItem), monitorStore_(monitorStore), queue_(queue) {
    setFixedWidth(static_cast<int>(contentWidth));
    build();
    render();
    observeStore();
}

PreferencesView::~PreferencesView() {
    observations_.clear();
    // A recording cut short still gives the hotkeys back.
    hotkeys_->stopRecording();
}

// MARK: layout

void PreferencesView::build() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(static_cast<int>(sidePadding), static_cast<int>(topPadding), static_cast<int>(sidePadding),
                             static_cast<int>(sidePadding));
    root->setSpacing(static_cast<int>(stackSpacing));
    root->addWidget(new PreferencesHeader(this));
    auto* columns = new QHBoxLayout;
    columns->setSpacing(static_cast<int>(columnSpacing));
    const int sectionSpacing = static_cast<int>(columnSpacing);
    columns->addWidget(vertical(this, {startupSection(), hotkeysSection()}, sectionSpacing), 1);
    columns->addWidget(vertical(this,
                                {hudSection(), volumeStepSection(), referenceLevelsSection(), metersSection(),
                                 splSection(), updatesSection(), privacySection()},
                                sectionSpacing),
                       1);
    root->addLayout(columns);
    root->addStretch(1);
}

VellCheckbox* PreferencesView::checkbox(Published<bool>& setting, const char* name) {
    auto* box = new SettingCheckbox(setting, name);
    renderers_.push_back([box] { box->render(); });
    return box;
}

template <typename T>
QWidget* PreferencesView::picker(Published<T>& setting, std::type_identity_t<std::vector<T>> options,
                                 std::type_identity_t<std::function<QString(const T&)>> title, const char* name,
                                 double width) {
    auto* picker = new VellSegmented<T>(std::move(options), std::move(title), setting.value());
    picker->setObjectName(QString::fromLatin1(name));
    picker->setFixedWidth(static_cast<int>(width));
    picker->onWrite = [picker, &setting](const T& value) {
        setting.set(value);
        picker->setSelection(setting.value());
    };
    renderers_.push_back([picker, &setting] { picker->setSelection(setting.value()); });
    return picker;
}

VellNumericField* PreferencesView::numericField(const QString& prompt, const char* name) {
    auto* field = new VellNumericField(prompt, kFieldWidth);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

QWidget* PreferencesView::startupSection() {
    auto* section = new SectionBox(QStringLiteral("Startup"), this);
    loginBox_ = new VellCheckbox(loginItem_.isEnabled.value());
    loginBox_->setObjectName(QStringLiteral("loginCheckbox"));
    loginBox_->onWrite = [this](bool on) {
        loginItem_.setEnabled(on);
        loginBox_->setOn(loginItem_.isEnabled.value());
    };
    section->addContent(new Row(QStringLiteral("Open Quillmark at login"), std::nullopt, loginBox_));
    loginError_ = new Caption(QString());
    loginError_->setObjectName(QStringLiteral("loginError"));
    loginError_->setForeground(HUDTokens::red);
    section->addContent(loginError_);
    section->addContent(new Row(QStringLiteral("Show Meters on launch"), std::nullopt,
                                checkbox(store_.showMetersOnLaunch, "showMetersCheckbox")));
    return section;
}

QWidget* PreferencesView::hotkeysSection() {
    hotkeys_ = new HotkeysSection(store_, this);
    hotkeys_->onRecordingChanged = [this](bool recording) {
        if (onRecordingChanged) onRecordingChanged(recording);
    };
    hotkeys_->onNoticesChanged = [this] {
        if (onContentHeightChanged) onContentHeightChanged();
    };
    return hotkeys_;
}

QWidget* PreferencesView::hudSection() {
    auto* section = new SectionBox(QStringLiteral("HUD"), this);
    section->addContent(
        new Row(QStringLiteral("Appearance"), std::nullopt,
                picker(store_.hudAppearance, {HUDAppearance::system, HUDAppearance::light, HUDAppearance::dark},
                       appearanceTitle, "appearancePicker", kPickerWidth)));
    section->addContent(new Row(QStringLiteral("Size"), std::nullopt,
                                picker(store_.hudSize, {HUDSize::small, HUDSize::medium, HUDSize::large}, sizeTitle,
                                       "sizePicker", kPickerWidth)));
    durationField_ = numericField(QStringLiteral("2"), "durationField");
    durationField_->onWrite = [this](const QString& typed) { durationText_ = typed; };
    durationField_->onSubmit = [this] { commitDuration(); };
    section->addContent(new Row(QStringLiteral("Display duration"), std::nullopt,
                                new FieldWithUnit(durationField_, QStringLiteral("sec"))));
    return section;
}

QWidget* PreferencesView::volumeStepSection() {
    auto* section = new SectionBox(QStringLiteral("Volume step"), this);
    fineField_ = numericField(QStringLiteral("1"), "fineStepField");
    fineField_->onWrite = [this](const QString& typed) { fineStepText_ = typed; };
    fineField_->onSubmit = [this] { commitStep(fineStepText_, store_.volumeStepFineDB); };
    section->addContent(
        new Row(QStringLiteral("Fine"), std::nullopt, new FieldWithUnit(fineField_, QStringLiteral("clicks"))));
    coarseField_ = numericField(QStringLiteral("3"), "coarseStepField");
    coarseField_->onWrite = [this](const QString& typed) { coarseStepText_ = typed; };
    coarseField_->onSubmit = [this] { commitStep(coarseStepText_, store_.volumeStepCoarseDB); };
    section->addContent(
        new Row(QStringLiteral("Coarse"), std::nullopt, new FieldWithUnit(coarseField_, QStringLiteral("clicks"))));
    return section;
}

QWidget* PreferencesView::referenceLevelsSection() {
    referenceLevels_ = new ReferenceLevelsSection(store_, monitorStore_, this);
    return referenceLevels_;
}

QWidget* PreferencesView::metersSection() {
    auto* section = new SectionBox(QStringLiteral("Meters"), this);
    auto orderTitle = [](const MeterChannelOrder& value) { return text(displayName(value)); };
    section->addContent(new Row(QStringLiteral("Channel order"), std::nullopt,
                                picker(store_.meterChannelOrder, {MeterChannelOrder::music, MeterChannelOrder::film},
                                       orderTitle, "channelOrderPicker", kChannelOrderWidth)));
    section->addContent(new Row(QStringLiteral("Hold clip indication"), std::nullopt,
                                checkbox(store_.clipLatchPersistent, "clipLatchCheckbox")));
    return section;
}

QWidget* PreferencesView::splSection() {
    spl_ = new SPLSection(store_, monitorStore_, queue_, this);
    return spl_;
}

QWidget* PreferencesView::updatesSection() {
    auto* section = new SectionBox(QStringLiteral("Updates"), this);
    section->addContent(new Row(QStringLiteral("Check for updates automatically"), std::nullopt,
                                checkbox(store_.automaticUpdates, "automaticUpdatesCheckbox")));
    return section;
}

QWidget* PreferencesView::privacySection() {
    auto* section = new SectionBox(QStringLiteral("Crash Reporting"), this);
    section->addContent(new Row(QStringLiteral("Send crash reports"), std::nullopt,
                                checkbox(store_.crashReporting, "crashReportingCheckbox")));
    return section;
}

int PreferencesView::fittingHeight() {
    // Layouts keep the sizes they worked out; rows shown or hidden since the last event-loop turn
    // must count already.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (QLayout* inner = child->layout()) inner->invalidate();
        child->updateGeometry();
    }
    QLayout* root = layout();
    root->invalidate();
    root->activate();
    const int height = root->hasHeightForWidth() ? root->totalHeightForWidth(static_cast<int>(contentWidth))
                                                 : root->totalSizeHint().height();
    return height;
}

void PreferencesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), resolved(HUDTokens::bg));
}

// MARK: following the store

void PreferencesView::observeStore() {
    // Any setting's change re-renders; the announcement comes before the setting's own observers.
    observations_.push_back(store_.observeWillChange([this] { scheduleRender(); }));
    auto rerender = [this](const auto&) { scheduleRender(); };
    observations_.push_back(loginItem_.isEnabled.observe(rerender, Published<bool>::Initial::skip));
    observations_.push_back(
        loginItem_.lastError.observe(rerender, Published<std::optional<std::string>>::Initial::skip));

    // The field rules that use only the value they are given run at once.
    observations_.push_back(ChangedValues::observe<double>(
        store_.volumeStepFineDB,
        [this](const double& value) { setFieldText(fineField_, fineStepText_, PreferencesRules::fieldText(value)); },
        Published<double>::Initial::skip));
    observations_.push_back(ChangedValues::observe<double>(
        store_.volumeStepCoarseDB,
        [this](const double& value) {
            setFieldText(coarseField_, coarseStepText_, PreferencesRules::fieldText(value));
        },
        Published<double>::Initial::skip));
    observations_.push_back(ChangedValues::observe<double>(
        store_.hudDurationSeconds,
        [this](const double& value) {
            setFieldText(durationField_, durationText_, PreferencesRules::fieldText(value));
        },
        Published<double>::Initial::skip));
}

void PreferencesView::scheduleRender() {
    if (renderPending_) return;
    renderPending_ = true;
    queue_.post(guard_.wrap([this] {
        renderPending_ = false;
        render();
    }));
}

void PreferencesView::render() {
    for (const auto& renderer : renderers_) renderer();
    hotkeys_->render();
    loginBox_->setOn(loginItem_.isEnabled.value());
    const auto& error = loginItem_.lastError.value();
    loginError_->setText(error ? QString::fromStdString(*error) : QString());
    loginError_->setVisible(error.has_value());
    referenceLevels_->render();
    spl_->render();
}

void PreferencesView::showEvent(QShowEvent* event) {
    VellWidget::showEvent(event);
    appear();
}

void PreferencesView::appear() {
    setFieldText(fineField_, fineStepText_, PreferencesRules::fieldText(store_.volumeStepFineDB.value()));
    setFieldText(coarseField_, coarseStepText_, PreferencesRules::fieldText(store_.volumeStepCoarseDB.value()));
    setFieldText(durationField_, durationText_, PreferencesRules::fieldText(store_.hudDurationSeconds.value()));
    spl_->refreshSPLInputFromStore();
    render();
}

// MARK: the sections' parts

QString PreferencesView::referenceLevelText(int index) const { return referenceLevels_->referenceLevelText(index); }

QString PreferencesView::splStatusText() const { return spl_->splStatusText(); }

const QString& PreferencesView::splInputText() const { return spl_->splInputText(); }

HotkeyRecorderField& PreferencesView::recorder(HotkeyAction action) const { return hotkeys_->recorder(action); }

void PreferencesView::showHeldElsewhere(const std::set<HotkeyAction>& actions) { hotkeys_->showHeldElsewhere(actions); }

HotkeyRow& PreferencesView::hotkeyRow(HotkeyAction action) const { return hotkeys_->row(action); }

// MARK: rules

void PreferencesView::setFieldText(VellNumericField* field, QString& state, const QString& text) {
    state = text;
    field->setText(text);
}

void PreferencesView::commitDuration() {
    const auto value = PreferencesRules::parse(durationText_);
    if (value && PreferencesRules::isAcceptedDuration(*value)) {
        store_.hudDurationSeconds.set(*value);
        return;
    }
    setFieldText(durationField_, durationText_, PreferencesRules::fieldText(store_.hudDurationSeconds.value()));
}

void PreferencesView::commitStep(const QString& text, Published<double>& target) {
    const auto value = PreferencesRules::parse(text);
    if (value && PreferencesRules::isAcceptedStep(*value)) {
        target.set(*value);
        return;
    }
    if (&target == &store_.volumeStepFineDB)
        setFieldText(fineField_, fineStepText_, PreferencesRules::fieldText(target.value()));
    else setFieldText(coarseField_, coarseStepText_, PreferencesRules::fieldText(target.value()));
}

}  // namespace quillmark
