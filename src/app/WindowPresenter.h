#pragma once

class QWidget;

namespace quillmark {

// How a window of ours comes to the user when asked for (a tray menu item): restored if it was
// minimised, shown, in front and active. Showing alone leaves a minimised window where it is.
class WindowPresenter {
public:
    static void present(QWidget& window);

    WindowPresenter() = delete;
};

}  // namespace quillmark
