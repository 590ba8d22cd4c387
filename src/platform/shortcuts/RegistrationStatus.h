#pragma once

#include <cstdint>
#include <ostream>

namespace quillmark {

// What became of registering a global shortcut: registered, or why not. Where the X server refused the
// grab, its error code is kept beside the outcome (10, BadAccess: another client holds the combination).
class RegistrationStatus {
public:
    enum class Outcome {
        registered,
        refusedByServer,
        unknownKey,        // no key on this keyboard for the key code
        combinationInUse,  // this program already holds the combination
        idInUse,
        unavailable,       // no X11 display
        reservedBySystem,  // the server acts on it itself: Ctrl+Alt+F1...F12 switch consoles
    };

    constexpr RegistrationStatus() = default;
    constexpr RegistrationStatus(Outcome outcome) : outcome_(outcome) {}  // NOLINT: an outcome is a status
    static constexpr RegistrationStatus refusedByServer(std::uint8_t errorCode) {
        RegistrationStatus status(Outcome::refusedByServer);
        status.serverError_ = errorCode;
        return status;
    }

    constexpr Outcome outcome() const { return outcome_; }
    constexpr bool isRegistered() const { return outcome_ == Outcome::registered; }
    // The X server's error code; 0 unless the server refused.
    constexpr std::uint8_t serverError() const { return serverError_; }
    // Held by someone else, who may let it go: another client, or the server itself.
    constexpr bool isHeldElsewhere() const {
        return outcome_ == Outcome::refusedByServer || outcome_ == Outcome::reservedBySystem;
    }
    // The number the log shows: 0, the server's error code, or a negative number for our own refusals.
    std::int32_t number() const;

    constexpr bool operator==(const RegistrationStatus&) const = default;
    friend std::ostream& operator<<(std::ostream& stream, const RegistrationStatus& status);

private:
    Outcome outcome_ = Outcome::registered;
    std::uint8_t serverError_ = 0;
};

}  // namespace quillmark
