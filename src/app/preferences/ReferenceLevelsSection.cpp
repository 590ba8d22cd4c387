#include "app/preferences/ReferenceLevelsSection.h"

#include "app/look/LevelFormatter.h"
#include "app/preferences/MonoLabel.h"
#include "app/preferences/PreferencesRules.h"
#include "app/preferences/kit/Caption.h"
#include "app/preferences/kit/VellButton.h"
#include "app/preferences/kit/VellLabelField.h"
#include "app/settings/PreferencesStore.h"
#include "core/MonitorStateStore.h"

#include <QHBoxLayout>

namespace quillmark {

namespace {

constexpr double kLabelFieldWidth = 150;
constexpr int kReferenceRowSpacing = 10;
constexpr int kReferenceRowHeight = 24;
constexpr int kMinimumReferenceGap = 8;

const QString kReferenceCaption = QStringLiteral(
    "Name each preset, then press Set to capture the monitor’s current level. Recall it any time from the menu "
    "bar or a hotkey.");

}  // namespace

ReferenceLevelsSection::ReferenceLevelsSection(PreferencesStore& store, MonitorStateStore& monitorStore,
                                               QWidget* parent)
    : SectionBox(QStringLiteral("Reference levels"), parent), store_(store), monitorStore_(monitorStore) {
    for (int index = 0; index < 3; ++index) addContent(makeReferenceLevelRow(index));
    addContent(new Caption(kReferenceCaption));
}

QWidget* ReferenceLevelsSection::makeReferenceLevelRow(int index) {
    auto* row = new VellWidget;
    row->setMinimumHeight(kReferenceRowHeight);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kReferenceRowSpacing);
    const QString number = QString::number(index + 1);
    ReferenceRow parts{new VellLabelField(QStringLiteral("Reference ") + number, kLabelFieldWidth),
                       new MonoLabel(QString(), 12, HUDTokens::fgMuted), new VellButton(QStringLiteral("Set"), false),
                       new VellButton(QStringLiteral("Clear"), false)};
    parts.label->setObjectName(QStringLiteral("referenceLabel") + number);
    parts.level->setObjectName(QStringLiteral("referenceLevel") + number);
    parts.set->setObjectName(QStringLiteral("referenceSet") + number);
    parts.clear->setObjectName(QStringLiteral("referenceClear") + number);
    layout->addWidget(parts.label, 0, Qt::AlignVCenter);
    layout->addSpacing(kMinimumReferenceGap - kReferenceRowSpacing);
    layout->addStretch(1);
    layout->addWidget(parts.level, 0, Qt::AlignVCenter);
    layout->addWidget(parts.set, 0, Qt::AlignVCenter);
    layout->addWidget(parts.clear, 0, Qt::AlignVCenter);

    VellLabelField* label = parts.label;
    label->onWrite = [this, index, label](const QString& typed) {
        const QString cut = PreferencesRules::cutLabel(typed);
        if (cut != typed) label->setText(cut);
        editReference(index, [&cut](ReferenceLevel& reference) { reference.label = cut.toStdString(); });
    };
    parts.set->action = [this, index] {
        const auto level = monitorStore_.snapshot().levelDB;
        if (!level) return;  // drawn enabled before the level went away
        editReference(index, [level](ReferenceLevel& reference) { reference.level = level; });
    };
    parts.clear->action = [this, index] {
        editReference(index, [](ReferenceLevel& reference) { reference.level.reset(); });
    };
    referenceRows_.push_back(parts);
    return row;
}

void ReferenceLevelsSection::render() {
    const auto& references = store_.referenceLevels.value();
    const bool levelKnown = monitorStore_.snapshot().levelDB.has_value();
    for (std::size_t index = 0; index < referenceRows_.size(); ++index) {
        const ReferenceRow& row = referenceRows_[index];
        const bool exists = index < references.size();
        const bool hasLevel = exists && references[index].level.has_value();
        row.label->setText(exists ? QString::fromStdString(references[index].label) : QString());
        row.level->setText(referenceLevelText(static_cast<int>(index)));
        row.level->setColour(hasLevel ? HUDTokens::amber : HUDTokens::fgMuted);
        row.set->setEnabled(levelKnown);
        row.clear->setEnabled(hasLevel);
    }
}

QString ReferenceLevelsSection::referenceLevelText(int index) const {
    const auto& references = store_.referenceLevels.value();
    if (index < 0 || index >= static_cast<int>(references.size())) return QStringLiteral("Not set");
    const auto& level = references[static_cast<std::size_t>(index)].level;
    if (!level) return QStringLiteral("Not set");
    const double reference = store_.splReadoutEnabled.value() ? store_.splReferenceAt0dBFS.value() : 0;
    return QString::fromStdString(LevelFormatter::savedLevel(*level, reference));
}

void ReferenceLevelsSection::editReference(int index, const std::function<void(ReferenceLevel&)>& edit) {
    auto references = store_.referenceLevels.value();
    if (index < 0 || index >= static_cast<int>(references.size())) return;
    edit(references[static_cast<std::size_t>(index)]);
    store_.referenceLevels.set(std::move(references));
}

}  // namespace quillmark
