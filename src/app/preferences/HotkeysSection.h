#pragma once

#include "app/hotkeys/HotkeyAction.h"
#include "app/preferences/kit/SectionBox.h"

#include <functional>
#include <map>
#include <set>

namespace quillmark {

class HotkeyRecorderField;
class HotkeyRow;
class PreferencesStore;

// The "Hotkeys" section: one HotkeyRow per action in case order, in three groups (monitor switches,
// volume steps, recalls) parted by rules. It tells when the first of its shortcut fields starts
// recording and when the last one stops, and marks the bindings another program holds. A recording
// ends when the window loses the activation (a click on the desktop or another program). Main thread
// only.
class HotkeysSection : public SectionBox {
public:
    explicit HotkeysSection(PreferencesStore& store, QWidget* parent = nullptr);

    // With true when the first field starts recording, with false when the last one stops.
    std::function<void(bool)> onRecordingChanged;
    // Called when a row's notice comes, changes or goes.
    std::function<void()> onNoticesChanged;

    HotkeyRow& row(HotkeyAction action) const { return *rows_.at(action); }
    HotkeyRecorderField& recorder(HotkeyAction action) const;

    // Brings the rows in line with the store.
    void render();
    // Ends every recording without storing anything.
    void stopRecording();
    // The rows of `actions` say that another program or the system holds their binding; the others
    // do not.
    void showHeldElsewhere(const std::set<HotkeyAction>& actions);

protected:
    bool event(QEvent* event) override;

private:
    void recordingChanged(bool recording);

    std::map<HotkeyAction, HotkeyRow*> rows_;  // children of this section
    int recordings_ = 0;
};

}  // namespace quillmark
