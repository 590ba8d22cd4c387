#include "app/preferences/FieldWithUnit.h"

#include "app/preferences/MonoLabel.h"
#include "app/preferences/kit/VellNumericField.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

constexpr double kUnitPointSize = 11;

}  // namespace

FieldWithUnit::FieldWithUnit(VellNumericField* field, const QString& unit, QWidget* parent)
    : VellWidget(parent), field_(field), unit_(new MonoLabel(unit, kUnitPointSize, HUDTokens::fgMuted, this)) {
    field_->setParent(this);
    setFocusProxy(field_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize FieldWithUnit::sizeHint() const {
    const QSize field = field_->size();
    const QSize unit = unit_->sizeHint();
    return QSize(field.width() + static_cast<int>(spacing) + unit.width(), std::max(field.height(), unit.height()));
}

std::optional<double> FieldWithUnit::firstBaseline() const {
    return field_->y() + field_->firstBaseline().value_or(field_->QWidget::height());
}

void FieldWithUnit::resizeEvent(QResizeEvent*) {
    const QSize field = field_->size();
    field_->move(0, (height() - field.height()) / 2);
    // The unit's baseline level with the field's.
    unit_->resize(unit_->sizeHint());
    const double baseline = *firstBaseline();
    const double unitBaseline = unit_->firstBaseline().value_or(unit_->height());
    unit_->move(field.width() + static_cast<int>(spacing), static_cast<int>(std::lround(baseline - unitBaseline)));
}

}  // namespace quillmark
