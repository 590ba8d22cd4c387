#pragma once

#include "app/hotkeys/HotkeyAction.h"
#include "app/preferences/HotkeyRow.h"
#include "app/preferences/kit/VellWidget.h"
#include "base/ObservationToken.h"
#include "base/WeakGuard.h"

#include <QString>

#include <functional>
#include <set>
#include <type_traits>
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
class SPLSection;
class VellCheckbox;
class VellNumericField;
template <typename T>
class Published;

// The whole content of the preferences window: a header over nine sections in two columns, through
// which every setting and the login item are changed. The sections with state of their own (hotkeys,
// reference levels, SPL) are classes beside the view; it builds the others itself. Switches and pickers
// write at once; the duration and step fields commit by their rules. Any change of a setting or of the
// login item brings every control in line once the store holds the new value (from the main queue).
// Widgets a test needs carry object names ("durationField", "referenceLabel1", ...). Main thread only.
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
    // Called when the content's fitting height may have changed other than by the SPL switch (a
    // hotkey row's notice came or went).
    std::function<void()> onContentHeightChanged;

    // The height the content needs at its width.
    int fittingHeight();

    // The texts the rules give now.
    QString referenceLevelText(int index) const;
    QString splStatusText() const;
    const QString& splInputText() const;
    // The hotkey rows of `actions` say that another program or the system holds their binding.
    void showHeldElsewhere(const std::set<HotkeyAction>& actions);
    // One action's row of the hotkeys section, and its shortcut field.
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
    // A segmented picker that writes `setting` at once and follows it; T is the setting's.
    template <typename T>
    QWidget* picker(Published<T>& setting, std::type_identity_t<std::vector<T>> options,
                    std::type_identity_t<std::function<QString(const T&)>> title, const char* name, double width);
    VellNumericField* numericField(const QString& prompt, const char* name);

    void observeStore();
    // Brings every control in line with the store, once per turn of the main queue.
    void scheduleRender();
    void render();
    void appear();

    void setFieldText(VellNumericField* field, QString& state, const QString& text);
    void commitDuration();
    void commitStep(const QString& text, Published<double>& target);

    PreferencesStore& store_;
    LoginItemController& loginItem_;
    MonitorStateStore& monitorStore_;
    MainQueue& queue_;

    QString fineStepText_;
    QString coarseStepText_;
    QString durationText_;
    bool renderPending_ = false;

    // Children of this widget.
    VellCheckbox* loginBox_ = nullptr;
    Caption* loginError_ = nullptr;
    VellNumericField* durationField_ = nullptr;
    VellNumericField* fineField_ = nullptr;
    VellNumericField* coarseField_ = nullptr;
    HotkeysSection* hotkeys_ = nullptr;
    ReferenceLevelsSection* referenceLevels_ = nullptr;
    SPLSection* spl_ = nullptr;
    std::vector<std::function<void()>> renderers_;  // each brings one control in line with the store

    std::vector<ObservationToken> observations_;
    WeakGuard guard_;  // last: posted work stops before the rest goes
};

}  // namespace quillmark
