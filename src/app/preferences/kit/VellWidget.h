#pragma once

#include "app/look/HUDAppearance.h"
#include "app/look/HUDTokens.h"

#include <QColor>
#include <QWidget>

#include <optional>

namespace quillmark {

// The base of every control of the preferences kit: which half of each colour token it draws, and
// where its first text baseline lies, so that a Row can line it up with its label.
class VellWidget : public QWidget {
public:
    explicit VellWidget(QWidget* parent = nullptr);

    // The appearance whose half of every token is drawn; `system` follows the desktop.
    void setAppearance(HUDAppearance appearance);
    HUDAppearance appearance() const { return appearance_; }
    bool drawsDark() const { return HUDTokens::isDark(appearance_); }
    QColor resolved(const HUDTokens::Token& token) const { return HUDTokens::resolve(token, drawsDark()); }

    // Sets the appearance of `root` and of every kit control inside it; what a window does when the
    // appearance setting changes. SectionBox and Row pass theirs on to what is added to them later.
    static void applyAppearance(QWidget& root, HUDAppearance appearance);

    // Points from the top edge down to the first text baseline, or nothing for a control without one.
    virtual std::optional<double> firstBaseline() const { return std::nullopt; }
    // A kit control's own first baseline; any other widget counts as having its baseline on its
    // bottom edge.
    static double firstBaselineOf(const QWidget& widget, double height);

protected:
    // Called after the drawn half of the tokens may have changed; the default repaints.
    virtual void appearanceChanged();
    bool event(QEvent* event) override;

private:
    HUDAppearance appearance_ = HUDAppearance::system;
};

}  // namespace quillmark
