#pragma once

#include "base/MainQueue.h"

#include <chrono>
#include <optional>
#include <string>

namespace quillmark {

// The last reference recall: for 1.5 s it labels the HUD and, until the engine reports a level
// within 0.05 dB of the target, shows the target instead of the intermediate levels.
class PendingRecall {
public:
    using Clock = MainQueue::Clock;
    static constexpr std::chrono::milliseconds window{1500};
    static constexpr double landingToleranceDB = 0.05;

    // What the HUD is to show for one monitor event.
    struct Shown {
        std::optional<double> levelDB;
        std::optional<std::string> label;
    };

    // Whether a reported level counts as the recalled one.
    static bool hasLanded(std::optional<double> reportedDB, double targetDB);

    // Replaces any earlier recall.
    void record(std::string label, double levelDB, Clock::time_point at, bool landed);

    // For a monitor event other than the device-online one, with the interface not reported offline:
    // the level and label to show, given the snapshot's level. Clears the recall once it is 1.5 s old.
    Shown decide(bool isLevelEvent, std::optional<double> reportedDB, Clock::time_point now);

    bool isPending() const { return recall_.has_value(); }
    bool hasLanded() const { return recall_ && recall_->landed; }

private:
    struct Recall {
        std::string label;
        double levelDB;
        Clock::time_point at;
        bool landed;
    };
    std::optional<Recall> recall_;
};

}  // namespace quillmark
