#pragma once

#include "app/preferences/kit/VellWidget.h"

namespace quillmark {

class MonoLabel;
class VellNumericField;

// A numeric field followed by its unit ("sec", "dB SPL"), lined up on the field's baseline.
class FieldWithUnit : public VellWidget {
public:
    static constexpr double spacing = 6;

    // Takes the field over.
    FieldWithUnit(VellNumericField* field, const QString& unit, QWidget* parent = nullptr);

    VellNumericField& field() const { return *field_; }
    MonoLabel& unit() const { return *unit_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    std::optional<double> firstBaseline() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    VellNumericField* field_;  // child
    MonoLabel* unit_;          // child
};

}  // namespace quillmark
