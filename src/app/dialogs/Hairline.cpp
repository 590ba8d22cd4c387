#include "app/dialogs/Hairline.h"

#include "app/dialogs/WindowAppearance.h"

#include <QPainter>

namespace quillmark {

Hairline::Hairline(HUDTokens::Token colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Hairline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), HUDTokens::resolve(colour_, WindowAppearance::isDark(*this)));
}

}  // namespace quillmark
