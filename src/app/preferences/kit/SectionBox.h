#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QString>

class QVBoxLayout;

namespace quillmark {

// A titled section of the preferences window: a 26-point header bar with an accent square and the
// upper-cased title, over a raised body that stacks the caller's content 10 points apart.
class SectionBox : public VellWidget {
public:
    static constexpr double headerHeight = 26;

    explicit SectionBox(const QString& title, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    const QString& title() const { return title_; }
    // The title as drawn.
    QString shownTitle() const;

    // Appends a widget to the body, below what is there; the box takes it over and gives the kit
    // controls in it the box's appearance.
    void addContent(QWidget* content);

    std::optional<double> firstBaseline() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QVBoxLayout* body_;  // owned by this widget
};

}  // namespace quillmark
