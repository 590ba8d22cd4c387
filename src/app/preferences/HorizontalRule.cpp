#include "app/preferences/HorizontalRule.h"

#include <QPainter>

namespace quillmark {

HorizontalRule::HorizontalRule(QWidget* parent) : VellWidget(parent) {
    setFixedHeight(static_cast<int>(2 * space + 1));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void HorizontalRule::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(0, space, width(), 1), resolved(HUDTokens::borderSubtle));
}

}  // namespace quillmark
