#pragma once

#include "app/dialogs/AboutView.h"
#include "app/look/HUDAppearance.h"

#include <QWidget>

#include <memory>

namespace quillmark {

// The "About Quillmark" window around AboutView: titled and closable, fixed at 460 × 680, movable by
// its background, centred when created. Closing only hides it; the application keeps it for the life
// of the process and shows the same window again where the user left it.
class AboutWindowController {
public:
    AboutWindowController();
    // With the given view, for tests.
    explicit AboutWindowController(std::unique_ptr<AboutView> view);
    ~AboutWindowController();
    AboutWindowController(const AboutWindowController&) = delete;
    AboutWindowController& operator=(const AboutWindowController&) = delete;

    // Applies `appearance`, then shows the window in front as the active window.
    void show(HUDAppearance appearance);
    // Applies a changed appearance at once, shown or not.
    void setAppearance(HUDAppearance appearance);

    QWidget& window() { return *window_; }
    AboutView& view() { return *view_; }

private:
    std::unique_ptr<QWidget> window_;
    AboutView* view_;  // owned by window_
};

}  // namespace quillmark
