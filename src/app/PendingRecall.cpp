#include "app/PendingRecall.h"

#include <cmath>

namespace quillmark {

bool PendingRecall::hasLanded(std::optional<double> reportedDB, double targetDB) {
    return reportedDB && std::abs(*reportedDB - targetDB) < landingToleranceDB;
}

void PendingRecall::record(std::string label, double levelDB, Clock::time_point at, bool landed) {
    recall_ = Recall{std::move(label), levelDB, at, landed};
}

PendingRecall::Shown PendingRecall::decide(bool isLevelEvent, std::optional<double> reportedDB, Clock::time_point now) {
    Shown shown{reportedDB, std::nullopt};
    if (!recall_) return shown;
    if (now - recall_->at >= window) {
        recall_.reset();
        return shown;
    }
    if (!isLevelEvent) return shown;
    if (!recall_->landed && hasLanded(reportedDB, recall_->levelDB)) recall_->landed = true;
    if (!recall_->landed) shown.levelDB = recall_->levelDB;
    shown.label = recall_->label;
    return shown;
}

}  // namespace quillmark
