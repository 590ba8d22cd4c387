#pragma once

#include "app/look/HUDTokens.h"

#include <QWidget>

namespace quillmark {

// A rule 1 point high, as wide as its place, filled with one colour token: the About window's divider
// and hairlines.
class Hairline : public QWidget {
public:
    explicit Hairline(HUDTokens::Token colour, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HUDTokens::Token colour_;
};

}  // namespace quillmark
