#pragma once

#include "app/dialogs/DialogPanel.h"
#include "app/dialogs/DownloadProgressBar.h"
#include "app/look/HUDAppearance.h"

#include <QWidget>

#include <cstdint>
#include <functional>

namespace quillmark {

// The download's window in the dialogs' look: the title, "<received> of <total>", the bar and Cancel
// (Escape). Not modal: the rest of the program stays usable while it downloads. Closing it cancels.
// Once the download is complete it says what is done with it (checking, installing); that goes on
// off the main thread, the window keeps drawing, and there is nothing left to cancel.
class UpdateProgressWindow : public QWidget {
public:
    UpdateProgressWindow(std::function<void()> cancel, HUDAppearance appearance);

    void setProgress(std::int64_t received, std::int64_t total);
    // The download is complete and `title` is under way, as `message` says: the bar is full, Cancel
    // goes, and neither Escape nor closing cancels.
    void showWorking(const QString& title, const QString& message);
    bool isCancellable() const { return static_cast<bool>(cancel_); }
    const DownloadProgressBar& bar() const { return *bar_; }
    DialogPanel& panel() { return *panel_; }

    // "1.2 MB of 3.4 MB"; "1.2 MB" alone while the total is not known.
    static QString progressText(std::int64_t received, std::int64_t total);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void fitHeight();

    std::function<void()> cancel_;
    DialogPanel* panel_;
    DownloadProgressBar* bar_;
    DialogButton* cancelButton_ = nullptr;
};

}  // namespace quillmark
