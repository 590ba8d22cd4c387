#pragma once

#include "app/preferences/kit/VellWidget.h"

namespace quillmark {

// The head of the preferences window: a small accent square and "Quillmark" in the display face.
class PreferencesHeader : public VellWidget {
public:
    static constexpr double squareSide = 9;
    static constexpr double spacing = 10;

    explicit PreferencesHeader(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillmark
