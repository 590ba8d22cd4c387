#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QRectF>

#include <functional>

class QVariantAnimation;

namespace quillmark {

// The kit's toggle: a 14-point square box, filled with the accent and checked when on, centred in a
// 24-point square that takes the clicks. It draws no label of its own; the Row beside it does. The
// value is the caller's: set from outside, and a click hands its opposite to onWrite; a change the
// caller sets from within onWrite fades in over 0.1 s, one set at any other time shows at once.
class VellCheckbox : public VellWidget {
public:
    static constexpr double side = 24;
    static constexpr double boxSide = 14;
    static constexpr int animationMilliseconds = 100;

    explicit VellCheckbox(bool isOn = false, QWidget* parent = nullptr);

    void setOn(bool isOn);
    bool isOn() const { return isOn_; }

    // Called with the opposite of the shown value on each click.
    std::function<void(bool)> onWrite;

    // The box in widget coordinates.
    static QRectF boxRect();
    bool isAnimating() const;

    QSize sizeHint() const override;
    // Its vertical centre plus 4 points, level with a row label beside it.
    std::optional<double> firstBaseline() const override { return side / 2 + 4; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double shownOnness() const;

    bool isOn_;
    bool pressed_ = false;
    bool animateNextChange_ = false;  // true while a click's write runs
    QVariantAnimation* animation_;    // owned by this widget; from the old look (0 off, 1 on) to the new
};

}  // namespace quillmark
