#include "app/preferences/HotkeyRow.h"

#include "app/preferences/HotkeyRecorderField.h"
#include "app/preferences/kit/Caption.h"
#include "app/preferences/kit/Row.h"
#include "app/settings/PreferencesStore.h"

#include <QVBoxLayout>

namespace quillmark {

namespace {

QString text(std::string_view view) { return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size())); }

std::optional<QString> consoleDefaultHint(HotkeyAction action) {
    if (auto console = consoleDefaultHotkey(action)) return QStringLiteral("Console default: ") + text(*console);
    return std::nullopt;
}

}  // namespace

HotkeyRow::HotkeyRow(HotkeyAction action, PreferencesStore& store, QWidget* parent)
    : VellWidget(parent), action_(action), store_(store),
      row_(new Row(text(displayName(action)), consoleDefaultHint(action), new HotkeyRecorderField(action, store))),
      recorder_(static_cast<HotkeyRecorderField*>(row_->trailing())), notice_(new Caption(QString())) {
    setObjectName(QStringLiteral("hotkeyRow-") + text(rawValue(action)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(static_cast<int>(noticeSpacing));
    layout->addWidget(row_);
    notice_->setObjectName(QStringLiteral("hotkeyNotice"));
    notice_->setForeground(HUDTokens::red);
    notice_->hide();
    layout->addWidget(notice_);
}

const QString& HotkeyRow::label() const { return row_->label(); }

const std::optional<QString>& HotkeyRow::hint() const { return row_->hint(); }

void HotkeyRow::setNotice(const QString& text) {
    if (text == notice()) return;
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
    if (onNoticeChanged) onNoticeChanged();
}

void HotkeyRow::clearNotice() { setNotice(QString()); }

void HotkeyRow::clearUnusableKeyNotice() {
    if (notice() != QString::fromUtf8(HotkeyRecorderField::unusableKeyMessage)) return;
    clearNotice();
    if (heldElsewhere_) renderHeldElsewhere();
}

QString HotkeyRow::notice() const { return notice_->isHidden() ? QString() : notice_->text(); }

void HotkeyRow::setHeldElsewhere(bool held) {
    if (held == heldElsewhere_) return;
    heldElsewhere_ = held;
    recorder_->setHeldElsewhere(held);
    renderHeldElsewhere();
}

QString HotkeyRow::heldElsewhereText() const {
    const auto& bindings = store_.bindings.value();
    const auto binding = bindings.find(action_);
    const QString shortcut = binding == bindings.end() ? QStringLiteral("this shortcut")
                                                       : QString::fromStdString(binding->second.displayString());
    return QStringLiteral("Another program or the system holds %1.").arg(shortcut);
}

void HotkeyRow::renderHeldElsewhere() {
    if (heldElsewhere_) {
        shownHeldText_ = heldElsewhereText();
        setNotice(shownHeldText_);
        return;
    }
    // Another notice given since stays.
    if (!shownHeldText_.isEmpty() && notice() == shownHeldText_) clearNotice();
    shownHeldText_.clear();
}

void HotkeyRow::render() {
    // The binding named may have changed since the service told.
    if (heldElsewhere_ && notice() == shownHeldText_) renderHeldElsewhere();
    const auto index = referenceLevelIndex(action_);
    if (!index) return;  // the other rows keep the name they were built with
    const auto& references = store_.referenceLevels.value();
    if (*index < static_cast<int>(references.size()))
        row_->setLabel(QStringLiteral("Recall: ") +
                       QString::fromStdString(references[static_cast<std::size_t>(*index)].label));
    else row_->setLabel(text(displayName(action_)));
}

std::optional<double> HotkeyRow::firstBaseline() const { return row_->firstBaseline(); }

}  // namespace quillmark
