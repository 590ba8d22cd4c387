#pragma once

#include "app/hotkeys/HotkeyAction.h"
#include "app/preferences/kit/VellWidget.h"

#include <QString>

#include <functional>
#include <optional>

namespace quillmark {

class Caption;
class HotkeyRecorderField;
class PreferencesStore;
class Row;

// One row of the hotkeys section: the action's name (for a recall, "Recall: " and the reference's
// label), its Console default as the hint where it has one, and its shortcut field at the trailing
// edge; under them, while there is one, a notice in red about the shortcut (one that another program
// or the system holds, say). Named "hotkeyRow-<raw value>". Main thread only.
class HotkeyRow : public VellWidget {
public:
    static constexpr double noticeSpacing = 4;

    HotkeyRow(HotkeyAction action, PreferencesStore& store, QWidget* parent = nullptr);

    HotkeyAction action() const { return action_; }
    HotkeyRecorderField& recorder() const { return *recorder_; }
    const QString& label() const;
    const std::optional<QString>& hint() const;

    // Shows `text` under the row in place of any notice before; an empty text clears it.
    void setNotice(const QString& text);
    void clearNotice();
    // Takes back the recorder's word on a key it could not use, if that is the notice shown; a held
    // binding is named again.
    void clearUnusableKeyNotice();
    // The notice shown now, empty when there is none.
    QString notice() const;
    // Called when a notice comes, changes or goes: the row's height changes with it.
    std::function<void()> onNoticeChanged;

    // Whether another program or the system holds the action's binding; the notice says so while it
    // does, naming the binding.
    void setHeldElsewhere(bool held);
    bool isHeldElsewhere() const { return heldElsewhere_; }

    // Brings a recall row's label and the notice on a held binding in line with the store.
    void render();

    std::optional<double> firstBaseline() const override;

private:
    QString heldElsewhereText() const;
    void renderHeldElsewhere();

    HotkeyAction action_;
    PreferencesStore& store_;
    bool heldElsewhere_ = false;
    QString shownHeldText_;  // the held notice as last shown, so that it alone is taken back
    // Children of this widget.
    Row* row_;
    HotkeyRecorderField* recorder_;  // the row's trailing control
    Caption* notice_;
};

}  // namespace quillmark
