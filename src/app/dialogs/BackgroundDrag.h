#pragma once

#include <QObject>

class QWidget;

namespace quillmark {

// Lets the user move a window by dragging any part of it that takes no click itself (the window
// manager moves it). Installed on the window, which it does not own.
class BackgroundDrag : public QObject {
public:
    explicit BackgroundDrag(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
};

}  // namespace quillmark
