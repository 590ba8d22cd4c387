#pragma once

#include "app/dialogs/DialogButtonStyle.h"
#include "app/dialogs/DialogHardShadow.h"

#include <QAbstractButton>
#include <QMargins>

#include <memory>

namespace quillmark {

// A flat dialog button drawn in one DialogButtonStyle, with the hard shadow and the 1-point lift while
// the pointer is over it. The widget reaches `overhang` beyond the button's body, the room that the
// lift and the shadow draw into, so that hovering never moves anything else: place it with
// setBodyGeometry(). Takes no keyboard focus; dialogs give it its keyboard equivalent.
class DialogButton : public QAbstractButton {
public:
    static constexpr QMargins overhang{1, 1, 2, 2};

    DialogButton(const QString& title, std::unique_ptr<const DialogButtonStyle> style, QWidget* parent = nullptr);
    // The two looks of the dialogs: DialogPrimaryButtonStyle and DialogSecondaryButtonStyle.
    static std::unique_ptr<DialogButton> primary(const QString& title, QWidget* parent = nullptr);
    static std::unique_ptr<DialogButton> secondary(const QString& title, QWidget* parent = nullptr);

    // The button itself: as wide as its upper-case label plus 12 points each side, 28 points high.
    QSize bodySize() const;
    // Places the widget so that the button's resting body covers `body` (in the parent's coordinates).
    void setBodyGeometry(const QRect& body);
    QRect bodyGeometry() const;

    bool isHovering() const { return hovering_; }
    const DialogHardShadow& shadow() const { return shadow_; }
    // The look of the present state, in the window's appearance.
    DialogButtonStyle::Look currentLook() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QRectF restingBody() const;
    QFont labelFont() const;
    void setHovering(bool hovering);
    void paintButton(QPainter& painter, const DialogButtonStyle::Look& look) const;

    std::unique_ptr<const DialogButtonStyle> style_;
    DialogHardShadow shadow_;
    bool hovering_ = false;
};

}  // namespace quillmark
