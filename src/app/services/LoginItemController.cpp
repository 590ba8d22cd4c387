#include "app/services/LoginItemController.h"

#include "platform/autostart/XdgLoginItemService.h"

namespace quillmark {

LoginItemController::LoginItemController() : LoginItemController(XdgLoginItemService::forThisProgram()) {}

LoginItemController::LoginItemController(std::unique_ptr<LoginItemService> service) : service_(std::move(service)) {
    refresh();
}

void LoginItemController::setEnabled(bool enabled) {
    lastError.set(enabled ? service_->registerItem() : service_->unregisterItem());
    refresh();
}

void LoginItemController::refresh() { isEnabled.set(service_->status() == LoginItemService::Status::enabled); }

}  // namespace quillmark
