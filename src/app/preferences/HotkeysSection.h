#pragma once

#include "app/hotkeys/HotkeyAction.h"
#include "app/preferences/kit/SectionBox.h"

#include <functional>
#include <map>

namespace quillmark {

class HotkeyRecorderField;
class HotkeyRow;
class PreferencesStore;

// The "Hotkeys" section: one HotkeyRow per action in case order, in three groups (monitor switches,
// volume steps, recalls) parted by rules. It tells when the first of its shortcut fields starts
// recording and when the last one stops. Main thread only.
class HotkeysSection : public SectionBox {
public:
    explicit HotkeysSection(PreferencesStore& store, QWidget* parent = nullptr);

    // With true when the first field starts recording, with false when the last one stops.
    std::function<void(bool)> onRecordingChanged;

    HotkeyRow& row(HotkeyAction action) const { return *rows_.at(action); }
    HotkeyRecorderField& recorder(HotkeyAction action) const;

    // Brings the rows in line with the store.
    void render();
    // Ends every recording without storing anything.
    void stopRecording();

private:
    void recordingChanged(bool recording);

    std::map<HotkeyAction, HotkeyRow*> rows_;  // children of this section
    int recordings_ = 0;
};

}  // namespace quillmark
