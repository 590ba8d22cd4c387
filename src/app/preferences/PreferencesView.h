#pragma once

#include "app/hotkeys/HotkeyAction.h"
#include "app/preferences/HotkeyRow.h"
#include "app/preferences/kit/VellWidget.h"
#include "base/ObservationToken.h"
#include "base/WeakGuard.h"

#include <QString>

#include <functional>
#include <vector>

namespace quillmark {

class Caption;
class HotkeyRecorderField;
class HotkeysSection;
class LoginItemController;
class MainQueue;
class MonitorStateStore;
class PreferencesStore;
class ReferenceLevelsSection;
class VellCheckbox;
class VellNumericField;
template <typename T>
class Published;

// The whole content of the preferences window: a header over nine sections in two columns, through
// which every setting and the login item are changed. Switches and pickers write at once; the three
// number fields commit by their rules; the SPL field commits on every change. The view follows the
// store through its observations, running what reads the store only once the store holds the new
// value (from the main queue). It reads the monitor level without observing it. Widgets a test needs
// carry object names ("durationField", "referenceLabel1", ...). Main thread only.
class PreferencesView : public VellWidget {
public:
    static constexpr double contentWidth = 880;
    // The window manager draws the title bar above the content.
    static constexpr double topPadding = 16;
    static constexpr double sidePadding = 16;
    static constexpr double stackSpacing = 16;
    static constexpr double columnSpacing = 14;

    PreferencesView(PreferencesStore& store, LoginItemController& loginItem, MonitorStateStore& monitorStore,
                    MainQueue& queue, QWidget* parent = nullptr);
    ~PreferencesView() override;

    // With true when the first shortcut field starts recording, with false when the last one stops.
    std::function<void(bool)> onRecordingChanged;

    // The height the content needs at its width.
    int fittingHeight();

    // The texts the rules give now.
    QString referenceLevelText(int index) const;
    QString splStatusText() const;
    const QString& splInputText() const { return splInputText_; }
    HotkeyRecorderField& recorder(HotkeyAction action) const;
    HotkeyRow& hotkeyRow(HotkeyAction action) const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void build();
    QWidget* startupSection();
    QWidget* hotkeysSection();
    QWidget* hudSection();
    QWidget* volumeStepSection();
    QWidget* referenceLevelsSection();
    QWidget* metersSection();
    QWidget* splSection();
    QWidget* updatesSection();
    QWidget* privacySection();
    VellCheckbox* checkbox(Published<bool>& setting, const char* name);
    VellNumericField* numericField(const QString& prompt, const char* name);

    void observeStore();
    // Brings every control in line with the store, once per turn of the main queue.
    void scheduleRender();
    void render();
    void renderSPL();
    void appear();

    void setSPLInputText(const QString& text);
    void setFieldText(VellNumericField* field, QString& state, const QString& text);
    void refreshSPLInputFromStore();
    void commitSPL();
    void commitDuration();
    void commitStep(const QString& text, Published<double>& target);
    void writeSPLReference(double reference);

    PreferencesStore& store_;
    LoginItemController& loginItem_;
    MonitorStateStore& monitorStore_;
    MainQueue& queue_;

    QString splInputText_;
    QString fineStepText_;
    QString coarseStepText_;
    QString durationText_;
    bool splWriteback_ = false;
    bool renderPending_ = false;

    // Children of this widget.
    VellCheckbox* loginBox_ = nullptr;
    Caption* loginError_ = nullptr;
    VellNumericField* durationField_ = nullptr;
    VellNumericField* fineField_ = nullptr;
    VellNumericField* coarseField_ = nullptr;
    VellNumericField* splField_ = nullptr;
    QWidget* splRow_ = nullptr;
    Caption* splStatus_ = nullptr;
    ReferenceLevelsSection* referenceLevels_ = nullptr;
    HotkeysSection* hotkeys_ = nullptr;
    std::vector<std::function<void()>> renderers_;  // each brings one control in line with the store

    std::vector<ObservationToken> observations_;
    WeakGuard guard_;  // last: posted work stops before the rest goes
};

}  // namespace quillmark
