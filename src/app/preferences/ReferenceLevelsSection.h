#pragma once

#include "app/preferences/kit/SectionBox.h"
#include "app/settings/ReferenceLevel.h"

#include <QString>

#include <functional>
#include <vector>

namespace quillmark {

class MonitorStateStore;
class MonoLabel;
class PreferencesStore;
class VellButton;
class VellLabelField;

// The "Reference levels" section: three rows, each with the name of one saved level, the level, a Set
// button that takes the monitor's current level and a Clear button, then a caption on their use. Every
// edit assigns the store's whole list. It reads the monitor level without observing it; rows are named
// "referenceLabel1", "referenceLevel1", "referenceSet1", "referenceClear1" and so on. Main thread only.
class ReferenceLevelsSection : public SectionBox {
public:
    ReferenceLevelsSection(PreferencesStore& store, MonitorStateStore& monitorStore, QWidget* parent = nullptr);

    // The saved level of reference `index` (in dB SPL while the SPL readout is on), or "Not set".
    QString referenceLevelText(int index) const;

    // Brings the rows in line with the store and the monitor level as it is now.
    void render();

private:
    struct ReferenceRow {
        VellLabelField* label;
        MonoLabel* level;
        VellButton* set;
        VellButton* clear;
    };

    QWidget* makeReferenceLevelRow(int index);
    void editReference(int index, const std::function<void(ReferenceLevel&)>& edit);

    PreferencesStore& store_;
    MonitorStateStore& monitorStore_;
    std::vector<ReferenceRow> referenceRows_;  // children of this section
};

}  // namespace quillmark
