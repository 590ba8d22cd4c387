#pragma once

#include "app/dialogs/DialogPanel.h"
#include "app/look/HUDAppearance.h"

#include <QWidget>

#include <optional>

class QEventLoop;

namespace quillmark {

// The window of our modal dialogs: a titled window without close, minimise or zoom buttons around one
// DialogPanel of a fixed width, as high as the panel needs, movable by its background. runModal()
// blocks its caller in a nested, application-modal event loop until stopModal() gives the answer;
// Return clicks the default button and Escape the cancel button. Close requests (window manager,
// Ctrl+W) are ignored; only a quit of the application (ApplicationQuit) ends it otherwise. A window
// manager that minimises it all the same (some keep their own minimise button whatever a window says)
// sees it come back at once: while it waits, no other window of ours takes input to bring it back.
class DialogWindow : public QWidget {
public:
    DialogWindow(std::unique_ptr<DialogPanel> panel, int width);
    ~DialogWindow() override;

    DialogPanel& panel() { return *panel_; }
    void setDefaultButton(DialogButton* button) { defaultButton_ = button; }
    void setCancelButton(DialogButton* button) { cancelButton_ = button; }

    // Shows the window in `appearance`, centred, in front and key with no control focused, and blocks
    // until stopModal(); the window is hidden again before it returns. Returns the code given to
    // stopModal(), or nothing when the application's quit ended the loop or was already under way.
    // App-hang tracking of the crash SDK is paused meanwhile. Main thread only.
    std::optional<int> runModal(HUDAppearance appearance);
    // Ends runModal() with `code`.
    void stopModal(int code);
    bool isRunningModal() const { return loop_ != nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void present(HUDAppearance appearance);
    void clearControlFocus();

    DialogPanel* panel_;
    int width_;
    DialogButton* defaultButton_ = nullptr;
    DialogButton* cancelButton_ = nullptr;
    QEventLoop* loop_ = nullptr;
    std::optional<int> answer_;
};

}  // namespace quillmark
