#include "app/dialogs/AboutWindowController.h"

#include "app/WindowPresenter.h"
#include "app/WindowShortcuts.h"
#include "app/dialogs/BackgroundDrag.h"
#include "app/dialogs/WindowAppearance.h"

#include <QGuiApplication>
#include <QScreen>

namespace quillmark {

AboutWindowController::AboutWindowController() : AboutWindowController(std::make_unique<AboutView>()) {}

AboutWindowController::AboutWindowController(std::unique_ptr<AboutView> view)
    : window_(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowCloseButtonHint)),
      view_(view.release()) {
    window_->setWindowTitle(QStringLiteral("About Quillmark"));
    window_->setAttribute(Qt::WA_QuitOnClose, false);  // closing only hides it
    view_->setParent(window_.get());
    view_->move(0, 0);
    window_->setFixedSize(AboutView::contentWidth, AboutView::contentHeight);
    new BackgroundDrag(*window_);
    WindowShortcuts::install(*window_);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window_->move(screen->availableGeometry().center() - window_->rect().center());
}

AboutWindowController::~AboutWindowController() = default;

void AboutWindowController::show(HUDAppearance appearance) {
    setAppearance(appearance);
    WindowPresenter::present(*window_);
}

void AboutWindowController::setAppearance(HUDAppearance appearance) {
    WindowAppearance::apply(*window_, appearance);
    view_->refresh();
}

}  // namespace quillmark
