#pragma once

#include "app/hotkeys/HotkeyAction.h"
#include "app/preferences/kit/Row.h"

namespace quillmark {

class HotkeyRecorderField;
class PreferencesStore;

// One row of the hotkeys section: the action's name (for a recall, "Recall: " and the reference's
// label), its Console default as the hint where it has one, and its shortcut field at the trailing
// edge. Named "hotkeyRow-<raw value>". Main thread only.
class HotkeyRow : public Row {
public:
    HotkeyRow(HotkeyAction action, PreferencesStore& store, QWidget* parent = nullptr);

    HotkeyAction action() const { return action_; }
    HotkeyRecorderField& recorder() const { return *recorder_; }

    // Brings a recall row's label in line with the store's reference labels.
    void render();

private:
    HotkeyAction action_;
    PreferencesStore& store_;
    HotkeyRecorderField* recorder_;  // the trailing control, a child of this row
};

}  // namespace quillmark
