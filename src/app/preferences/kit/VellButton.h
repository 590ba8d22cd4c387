#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QString>

#include <functional>

namespace quillmark {

// A flat button: the upper-cased title in the display face, 24 points high and 10 points of padding
// either side of it; primary buttons are filled with the accent. A disabled button (QWidget's own
// enabled state) draws its title muted and ignores clicks.
class VellButton : public VellWidget {
public:
    static constexpr double height = 24;
    static constexpr double horizontalPadding = 10;

    VellButton(const QString& title, bool isPrimary, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    const QString& title() const { return title_; }
    QString shownTitle() const;
    void setPrimary(bool isPrimary);
    bool isPrimary() const { return isPrimary_; }

    // Called on a click (press and release inside) while the button is enabled.
    std::function<void()> action;

    QColor textColour() const;
    QColor backgroundColour() const;
    QColor borderColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    std::optional<double> firstBaseline() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString title_;
    bool isPrimary_;
    bool pressed_ = false;
};

}  // namespace quillmark
