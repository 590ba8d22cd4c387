#include "app/preferences/kit/VellWidget.h"

#include <QEvent>

namespace quillmark {

VellWidget::VellWidget(QWidget* parent) : QWidget(parent) {}

void VellWidget::setAppearance(HUDAppearance appearance) {
    if (appearance == appearance_) return;
    appearance_ = appearance;
    appearanceChanged();
}

void VellWidget::applyAppearance(QWidget& root, HUDAppearance appearance) {
    if (auto* control = dynamic_cast<VellWidget*>(&root)) control->setAppearance(appearance);
    for (QWidget* child : root.findChildren<QWidget*>()) {
        if (auto* control = dynamic_cast<VellWidget*>(child)) control->setAppearance(appearance);
    }
}

double VellWidget::firstBaselineOf(const QWidget& widget, double height) {
    if (const auto* control = dynamic_cast<const VellWidget*>(&widget)) {
        if (auto baseline = control->firstBaseline()) return *baseline;
    }
    return height;
}

void VellWidget::appearanceChanged() { update(); }

bool VellWidget::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ApplicationPaletteChange:
    case QEvent::ThemeChange:
        // The desktop may have switched between light and dark.
        if (appearance_ == HUDAppearance::system) appearanceChanged();
        break;
    default: break;
    }
    return QWidget::event(event);
}

}  // namespace quillmark
