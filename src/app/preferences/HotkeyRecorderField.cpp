#include "app/preferences/HotkeyRecorderField.h"

#include "app/look/FlatBorder.h"
#include "app/preferences/kit/KitLook.h"
#include "app/settings/PreferencesStore.h"
#include "platform/keys/CarbonKeyTable.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

constexpr std::uint32_t kEscape = 53;
constexpr std::uint32_t kDelete = 51;  // the backspace key

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch: return true;
    default: return false;
    }
}

// Only the four modifiers a binding stores count: Caps Lock and Num Lock never turn Escape or
// Backspace into a global hotkey.
bool hasNoModifier(const QKeyEvent& event) { return CarbonKeyTable::carbonModifiers(event.modifiers()) == 0; }

QFont cellFont() { return KitLook::monoFont(12); }

}  // namespace

HotkeyRecorderField::HotkeyRecorderField(HotkeyAction action, PreferencesStore& store, QWidget* parent)
    : VellWidget(parent), action_(action), store_(store) {
    setFocusPolicy(Qt::NoFocus);
    showBindingOf(store_.bindings.value());
    // Observers hear of a change before the store holds it: show the map they are given.
    observation_ = store_.bindings.observe([this](const HotkeyBindings& bindings) { showBindingOf(bindings); },
                                           Published<HotkeyBindings>::Initial::skip);
}

HotkeyRecorderField::~HotkeyRecorderField() {
    // Whoever listens may be gone already; only the filter must go.
    if (recording_) qApp->removeEventFilter(this);
}

void HotkeyRecorderField::showBindingOf(const HotkeyBindings& bindings) {
    const auto found = bindings.find(action_);
    binding_ = found == bindings.end() ? std::nullopt : std::optional<HotkeyBinding>(found->second);
    updateGeometry();
    update();
}

QString HotkeyRecorderField::shownText() const {
    if (recording_) return QStringLiteral("Press key…");
    if (binding_) return QString::fromStdString(binding_->displayString());
    return QStringLiteral("—");
}

QColor HotkeyRecorderField::textColour() const {
    if (recording_) return resolved(HUDTokens::accent);
    if (!binding_) return resolved(HUDTokens::fgMuted);
    return resolved(heldElsewhere_ ? HUDTokens::red : HUDTokens::amber);
}

void HotkeyRecorderField::setHeldElsewhere(bool held) {
    if (held == heldElsewhere_) return;
    heldElsewhere_ = held;
    update();
}

QColor HotkeyRecorderField::cellBorderColour() const {
    return resolved(recording_ ? HUDTokens::accent : HUDTokens::border);
}

bool HotkeyRecorderField::showsClearButton() const { return binding_.has_value() && !recording_; }

double HotkeyRecorderField::cellWidth() const {
    const double text = QFontMetricsF(cellFont()).horizontalAdvance(shownText());
    return std::max(minimumTextWidth, std::ceil(text)) + 2 * horizontalPadding;
}

QRectF HotkeyRecorderField::cellRect() const { return QRectF(0, (height() - cellHeight) / 2, cellWidth(), cellHeight); }

QRectF HotkeyRecorderField::clearRect() const {
    if (!showsClearButton()) return {};
    return QRectF(cellWidth() + spacing, (height() - clearSide) / 2, clearSide, clearSide);
}

QSize HotkeyRecorderField::sizeHint() const {
    double width = cellWidth();
    if (showsClearButton()) width += spacing + clearSide;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(cellHeight));
}

std::optional<double> HotkeyRecorderField::firstBaseline() const {
    const QFontMetricsF metrics(cellFont());
    return (cellHeight - metrics.height()) / 2 + metrics.ascent();
}

void HotkeyRecorderField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF cell = cellRect();
    painter.fillRect(cell, resolved(HUDTokens::bgHeader));
    FlatBorder::drawInside(painter, cell, cellBorderColour());
    painter.setFont(cellFont());
    painter.setPen(textColour());
    painter.drawText(cell.adjusted(horizontalPadding, 0, -horizontalPadding, 0), Qt::AlignCenter, shownText());
    if (!showsClearButton()) return;
    // A filled circle with a cross cut out of it.
    const QRectF clear = clearRect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(resolved(HUDTokens::fgMuted));
    painter.drawEllipse(clear);
    QPen cross(resolved(HUDTokens::bgRaised), 1.5);
    cross.setCapStyle(Qt::RoundCap);
    painter.setPen(cross);
    const QRectF arms = clear.adjusted(4.5, 4.5, -4.5, -4.5);
    painter.drawLine(arms.topLeft(), arms.bottomRight());
    painter.drawLine(arms.topRight(), arms.bottomLeft());
}

bool HotkeyRecorderField::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (clearRect().contains(help->pos()))
            QToolTip::showText(help->globalPos(), QStringLiteral("Clear shortcut"), this);
        else QToolTip::hideText();
        return true;
    }
    return VellWidget::event(event);
}

void HotkeyRecorderField::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (cellRect().contains(event->position())) {
        if (recording_) stopRecording();
        else startRecording();
    } else if (clearRect().contains(event->position())) {
        store_.setBinding(std::nullopt, action_);
    }
}

void HotkeyRecorderField::hideEvent(QHideEvent* event) {
    stopRecording();
    VellWidget::hideEvent(event);
}

void HotkeyRecorderField::startRecording() {
    recording_ = true;
    qApp->installEventFilter(this);
    updateGeometry();
    update();
    if (onRecordingChanged) onRecordingChanged(true);
}

void HotkeyRecorderField::stopRecording() {
    if (!recording_) return;
    recording_ = false;
    qApp->removeEventFilter(this);
    updateGeometry();
    update();
    if (onRecordingChanged) onRecordingChanged(false);
}

bool HotkeyRecorderField::eventFilter(QObject*, QEvent* event) {
    if (!recording_) return false;
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (isModifierKey(key->key())) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepted, the key goes to the focused widget as a key press instead of firing a shortcut.
        event->accept();
        return true;
    }
    recordKey(*key);
    return true;
}

void HotkeyRecorderField::recordKey(const QKeyEvent& event) {
    const auto key = CarbonKeyTable::fromQtKey(event.key());
    if (key && key->carbonCode == kEscape && hasNoModifier(event)) {
        stopRecording();
        return;
    }
    if (key && key->carbonCode == kDelete && hasNoModifier(event)) {
        store_.setBinding(std::nullopt, action_);
        stopRecording();
        return;
    }
    // A key without a Carbon code could never be registered: the recording ends, and the row says why.
    const auto binding = HotkeyBinding::from(event);
    if (!binding) {
        stopRecording();
        if (onUnusableKey) onUnusableKey(QString::fromUtf8(unusableKeyMessage));
        return;
    }
    store_.setBinding(*binding, action_);
    stopRecording();
}

}  // namespace quillmark
