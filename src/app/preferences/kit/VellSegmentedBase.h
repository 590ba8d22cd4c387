#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

class QVariantAnimation;

namespace quillmark {

// The drawing and clicking of VellSegmented, which knows nothing of the option type: a row of cells
// that share the width, each with its upper-cased title, any number of them selected (filled with
// the accent), dividers between them and a border around all. A selection change made while a
// click's write runs fades in over 0.1 s; any other shows at once.
class VellSegmentedBase : public VellWidget {
public:
    static constexpr double height = 24;
    static constexpr double minimumTextScale = 0.8;
    static constexpr int animationMilliseconds = 100;

    int cellCount() const { return static_cast<int>(titles_.size()); }
    QRectF cellRect(int index) const;
    QString shownTitle(int index) const;
    bool isCellSelected(int index) const;
    // The cell under `point`, or -1.
    int cellAt(const QPointF& point) const;
    // How much the title of a cell is shrunk to fit it (1 when it fits, never below 0.8; a title
    // that does not fit even then is cut short with an ellipsis).
    double textScale(int index) const;
    bool isAnimating() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    std::optional<double> firstBaseline() const override;

protected:
    explicit VellSegmentedBase(QWidget* parent);
    // Replaces the cells (no animation).
    void setCells(const QStringList& titles, const std::vector<bool>& selected);
    // Changes which cells are selected.
    void setSelectedCells(const std::vector<bool>& selected);
    // A click on the cell at `index`, selected or not.
    virtual void cellClicked(int index) = 0;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double shownSelection(int index) const;
    void paintCell(QPainter& painter, int index) const;

    QStringList titles_;
    std::vector<bool> selected_;
    std::vector<double> animatedFrom_;  // how selected each cell looked when the fade began
    int pressedCell_ = -1;
    bool animateNextChange_ = false;  // true while a click's write runs
    QVariantAnimation* animation_;    // owned by this widget; runs from 0 to 1
};

}  // namespace quillmark
