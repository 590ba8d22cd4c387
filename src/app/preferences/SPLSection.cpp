#include "app/preferences/SPLSection.h"

#include "app/ChangedValues.h"
#include "app/preferences/FieldWithUnit.h"
#include "app/preferences/PreferencesRules.h"
#include "app/preferences/SettingCheckbox.h"
#include "app/preferences/kit/Caption.h"
#include "app/preferences/kit/Row.h"
#include "app/preferences/kit/VellNumericField.h"
#include "app/settings/PreferencesStore.h"
#include "base/MainQueue.h"
#include "core/MonitorStateStore.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

constexpr double kFieldWidth = 64;

}  // namespace

SPLSection::SPLSection(PreferencesStore& store, MonitorStateStore& monitorStore, MainQueue& queue, QWidget* parent)
    : SectionBox(QStringLiteral("SPL mode"), parent), store_(store), monitorStore_(monitorStore), queue_(queue) {
    showSPL_ = new SettingCheckbox(store_.splReadoutEnabled, "splCheckbox");
    addContent(new Row(QStringLiteral("Show SPL"), std::nullopt, showSPL_));
    const QString prompt = QStringLiteral("e.g. 80");
    splField_ = new VellNumericField(prompt, kFieldWidth);
    // The prompt is longer than a number; the field grows to show it whole.
    splField_->setFieldWidth(std::max(kFieldWidth, splField_->widthShowing(prompt)));
    splField_->setObjectName(QStringLiteral("splField"));
    splField_->onWrite = [this](const QString& typed) { setSPLInputText(typed); };
    auto* row =
        new Row(QStringLiteral("Current SPL"), std::nullopt, new FieldWithUnit(splField_, QStringLiteral("dB SPL")));
    row->setObjectName(QStringLiteral("splRow"));
    splRow_ = row;
    addContent(row);
    splStatus_ = new Caption(QString());
    splStatus_->setObjectName(QStringLiteral("splStatus"));
    addContent(splStatus_);
    observeStore();
}

// Both read the store, so they run once it holds the new value.
void SPLSection::observeStore() {
    observations_.push_back(ChangedValues::observe<double>(
        store_.splReferenceAt0dBFS,
        [this](const double&) {
            // Whether the section wrote it is known now; the refresh reads the store, so it runs later.
            if (splWriteback_) return;
            queue_.post(guard_.wrap([this] { refreshSPLInputFromStore(); }));
        },
        Published<double>::Initial::skip));
    observations_.push_back(ChangedValues::observe<bool>(
        store_.splReadoutEnabled,
        [this](const bool& on) {
            queue_.post(guard_.wrap([this, on] {
                if (!on) {
                    setSPLInputText(QString());
                    return;
                }
                // What the field holds is committed even when the refresh leaves its text as it was.
                refreshSPLInputFromStore();
                commitSPL();
            }));
        },
        Published<bool>::Initial::skip));
}

void SPLSection::render() {
    showSPL_->render();
    const bool on = store_.splReadoutEnabled.value();
    splRow_->setVisible(on);
    splStatus_->setVisible(on);
    splStatus_->setText(splStatusText());
}

QString SPLSection::splStatusText() const {
    const double reference = store_.splReferenceAt0dBFS.value();
    if (!(reference > 0)) return QStringLiteral("Enter the SPL value Console is showing right now.");
    const auto level = monitorStore_.snapshot().levelDB;
    if (!level) return QStringLiteral("Calibrated. Connect Apollo to verify.");
    return QStringLiteral("Calibrated. Reads %1 dB SPL at %2 dB monitor level.")
        .arg(PreferencesRules::wholeText(reference + *level), PreferencesRules::oneDecimalText(*level));
}

void SPLSection::setSPLInputText(const QString& text) {
    if (text == splInputText_) return;
    splInputText_ = text;
    splField_->setText(text);
    commitSPL();
}

void SPLSection::refreshSPLInputFromStore() {
    const double reference = store_.splReferenceAt0dBFS.value();
    const auto level = monitorStore_.snapshot().levelDB;
    if (reference > 0 && level) setSPLInputText(PreferencesRules::wholeText(reference + *level));
    else setSPLInputText(QString());
}

void SPLSection::commitSPL() {
    if (!store_.splReadoutEnabled.value()) return;
    const QString trimmed = PreferencesRules::trimmed(splInputText_);
    if (trimmed.isEmpty()) {
        if (store_.splReferenceAt0dBFS.value() != 0) writeSPLReference(0);
        return;
    }
    const auto value = PreferencesRules::parse(trimmed);
    if (!value || !(*value > 0) || !std::isfinite(*value)) return;
    const auto level = monitorStore_.snapshot().levelDB;
    if (!level) return;
    const double reference = *value - *level;
    const double stored = store_.splReferenceAt0dBFS.value();
    if (reference != stored || std::isnan(reference) || std::isnan(stored)) writeSPLReference(reference);
}

void SPLSection::writeSPLReference(double reference) {
    splWriteback_ = true;
    store_.splReferenceAt0dBFS.set(reference);
    queue_.post(guard_.wrap([this] { splWriteback_ = false; }));
}

}  // namespace quillmark
