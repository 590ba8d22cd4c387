#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <optional>

namespace quillmark {

// One line of a section: a label (and an optional hint under it) at the leading edge and the
// caller's control at the trailing edge, their first baselines level. At least 24 points high.
class Row : public VellWidget {
public:
    static constexpr double minimumHeight = 24;

    Row(const QString& label, const std::optional<QString>& hint, QWidget* trailing, QWidget* parent = nullptr);

    void setLabel(const QString& label);
    const QString& label() const { return label_; }
    void setHint(const std::optional<QString>& hint);
    const std::optional<QString>& hint() const { return hint_; }
    // The control at the trailing edge; the row takes it over (and deletes the one it replaces) and
    // gives it the row's appearance.
    void setTrailing(QWidget* trailing);
    QWidget* trailing() const { return trailing_; }

    // Where the label's and the hint's line boxes lie, for a row of the present width.
    QRectF labelRect() const;
    std::optional<QRectF> hintRect() const;

    std::optional<double> firstBaseline() const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placement {
        double labelTop = 0;  // top of the label's line box
        double baseline = 0;  // the shared first baseline
        QRect trailing;
        double height = minimumHeight;
    };
    Placement placement(double width) const;
    QSize trailingSize() const;
    double labelColumnWidth() const;
    double labelColumnHeight() const;
    void placeTrailing();
    void relayout();

    QString label_;
    std::optional<QString> hint_;
    QPointer<QWidget> trailing_;  // a child of this row
};

}  // namespace quillmark
