#pragma once

#include "app/preferences/kit/VellWidget.h"

namespace quillmark {

// A 1-point line across the width in the subtle border colour, with 2 points of space above and below:
// what divides the groups of hotkey rows.
class HorizontalRule : public VellWidget {
public:
    static constexpr double space = 2;

    explicit HorizontalRule(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillmark
