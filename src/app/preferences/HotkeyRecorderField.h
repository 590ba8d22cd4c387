#pragma once

#include "app/hotkeys/HotkeyAction.h"
#include "app/hotkeys/HotkeyBinding.h"
#include "app/preferences/kit/VellWidget.h"
#include "base/ObservationToken.h"

#include <QRectF>
#include <QString>

#include <functional>

namespace quillmark {

class PreferencesStore;

// The shortcut cell of one hotkey row: shows the action's binding, records a new one from the next key
// press (click, then press the keys) and clears it. While it records it sees every key event of the
// application first and swallows what it uses, shortcut overrides included, so that no window shortcut
// fires instead. A key that can never be a hotkey ends the recording with the binding unchanged and is
// reported through onUnusableKey. Changes bindings only through the store. Main thread only.
class HotkeyRecorderField : public VellWidget {
public:
    static constexpr double cellHeight = 24;
    static constexpr double minimumTextWidth = 110;
    static constexpr double horizontalPadding = 8;
    static constexpr double spacing = 6;
    static constexpr double clearSide = 14;
    static constexpr char unusableKeyMessage[] = "This key can't be used as a hotkey";

    HotkeyRecorderField(HotkeyAction action, PreferencesStore& store, QWidget* parent = nullptr);
    ~HotkeyRecorderField() override;

    HotkeyAction action() const { return action_; }
    bool isRecording() const { return recording_; }
    // Called with true when a recording starts and false when it ends.
    std::function<void(bool)> onRecordingChanged;
    // Called, after the recording has ended with the binding as it was, when the key pressed could never be
    // a hotkey (it has no key code of ours); `message` is the text for the row: unusableKeyMessage.
    std::function<void(const QString& message)> onUnusableKey;

    // What the cell shows now, and in which colour.
    QString shownText() const;
    QColor textColour() const;
    QColor cellBorderColour() const;
    bool showsClearButton() const;
    QRectF cellRect() const;
    QRectF clearRect() const;

    // A binding that could not be registered (another program or the system holds it) is drawn in red.
    void setHeldElsewhere(bool held);

    // Ends a recording without storing anything; nothing when idle.
    void stopRecording();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    std::optional<double> firstBaseline() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startRecording();
    // A key press while recording; it is swallowed whatever it does, and it ends the recording.
    void recordKey(const QKeyEvent& event);
    void showBindingOf(const HotkeyBindings& bindings);
    double cellWidth() const;

    HotkeyAction action_;
    PreferencesStore& store_;
    std::optional<HotkeyBinding> binding_;  // as last announced by the store
    bool recording_ = false;
    bool heldElsewhere_ = false;
    ObservationToken observation_;
};

}  // namespace quillmark
