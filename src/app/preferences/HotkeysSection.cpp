#include "app/preferences/HotkeysSection.h"

#include "app/preferences/HorizontalRule.h"
#include "app/preferences/HotkeyRecorderField.h"
#include "app/preferences/HotkeyRow.h"

#include <QEvent>

namespace quillmark {

HotkeysSection::HotkeysSection(PreferencesStore& store, QWidget* parent)
    : SectionBox(QStringLiteral("Hotkeys"), parent) {
    for (HotkeyAction action : allHotkeyActions) {
        if (action == HotkeyAction::volumeUpFine || action == HotkeyAction::recallReference1)
            addContent(new HorizontalRule);
        auto* row = new HotkeyRow(action, store);
        row->recorder().onRecordingChanged = [this, row](bool recording) {
            // A new recording takes back the word on the key the last one could not use.
            if (recording) row->clearUnusableKeyNotice();
            recordingChanged(recording);
        };
        row->recorder().onUnusableKey = [row](const QString& message) { row->setNotice(message); };
        row->onNoticeChanged = [this] {
            if (onNoticesChanged) onNoticesChanged();
        };
        rows_[action] = row;
        addContent(row);
    }
}

HotkeyRecorderField& HotkeysSection::recorder(HotkeyAction action) const { return row(action).recorder(); }

void HotkeysSection::render() {
    for (auto& [action, row] : rows_) row->render();
}

void HotkeysSection::stopRecording() {
    for (auto& [action, row] : rows_) row->recorder().stopRecording();
}

void HotkeysSection::showHeldElsewhere(const std::set<HotkeyAction>& actions) {
    for (auto& [action, row] : rows_) row->setHeldElsewhere(actions.count(action) > 0);
}

bool HotkeysSection::event(QEvent* event) {
    // Keys pressed in another window never reach a field here, and the hotkeys stay off while one records.
    if (event->type() == QEvent::WindowDeactivate) stopRecording();
    return SectionBox::event(event);
}

void HotkeysSection::recordingChanged(bool recording) {
    const int before = recordings_;
    recordings_ += recording ? 1 : -1;
    if ((before == 0) != (recordings_ == 0) && onRecordingChanged) onRecordingChanged(recordings_ > 0);
}

}  // namespace quillmark
