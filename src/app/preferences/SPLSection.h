#pragma once

#include "app/preferences/kit/SectionBox.h"
#include "base/ObservationToken.h"
#include "base/WeakGuard.h"

#include <QString>

#include <vector>

namespace quillmark {

class Caption;
class MainQueue;
class MonitorStateStore;
class PreferencesStore;
class SettingCheckbox;
class VellNumericField;

// The "SPL mode" section: the switch of the SPL readout and, while it is on, the field that calibrates
// it from the level the user reads off Console at the monitor's current level, over a caption on the
// calibration. The field commits on every change of its text, its own refreshes included; a reference
// stored elsewhere refills it. It reads the monitor level without observing it. Main thread only.
class SPLSection : public SectionBox {
public:
    SPLSection(PreferencesStore& store, MonitorStateStore& monitorStore, MainQueue& queue, QWidget* parent = nullptr);

    const QString& splInputText() const { return splInputText_; }
    QString splStatusText() const;

    // The field shows the stored calibration at the monitor's current level; what the view does when
    // it appears.
    void refreshSPLInputFromStore();
    // Brings the switch, the rows' presence and the caption in line with the store.
    void render();

private:
    void observeStore();
    void setSPLInputText(const QString& text);
    void commitSPL();
    void writeSPLReference(double reference);

    PreferencesStore& store_;
    MonitorStateStore& monitorStore_;
    MainQueue& queue_;

    QString splInputText_;
    bool splWriteback_ = false;  // from the section's own write of the reference to the next queue turn

    // Children of this section.
    SettingCheckbox* showSPL_ = nullptr;
    VellNumericField* splField_ = nullptr;
    QWidget* splRow_ = nullptr;
    Caption* splStatus_ = nullptr;

    std::vector<ObservationToken> observations_;
    WeakGuard guard_;  // last: posted work stops before the rest goes
};

}  // namespace quillmark
