#pragma once

#include "app/look/ResourceBundle.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <optional>

namespace quillmark {

// The product's lockup at the top of the About window, chosen by the window's appearance:
// "Quillmark_Lockup_Dark.png" when dark, "Quillmark_Lockup_Light.png" otherwise, from the resource
// bundle, scaled to fit the width with its aspect ratio kept. When the file is missing or does not
// load, the word "Quillmark" in the display face at 30 points stands in, 56 points of space above and
// below. Its height follows its width and the image in use.
class AboutLockup : public QWidget {
public:
    static constexpr double fallbackPoints = 30;
    static constexpr int fallbackMargin = 56;

    explicit AboutLockup(ResourceBundle resources, QWidget* parent = nullptr);

    // The image for a dark or light window; nothing when it is missing or does not load.
    std::optional<QImage> image(bool dark) const;
    // Whether the present appearance shows the image (or else the word).
    bool showsImage() const;
    // Chooses again after a change of appearance.
    void appearanceChanged();

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont fallbackFont() const;

    ResourceBundle resources_;
    // The images once loaded, light and dark; an empty inner value for a file that is missing or bad.
    mutable std::array<std::optional<std::optional<QImage>>, 2> loaded_;
};

}  // namespace quillmark
