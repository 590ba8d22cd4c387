#include "platform/shortcuts/RegistrationStatus.h"

namespace quillmark {

std::int32_t RegistrationStatus::number() const {
    switch (outcome_) {
    case Outcome::registered: return 0;
    case Outcome::refusedByServer: return serverError_;
    case Outcome::unknownKey: return -1;
    case Outcome::combinationInUse: return -2;
    case Outcome::idInUse: return -3;
    case Outcome::unavailable: return -4;
    case Outcome::reservedBySystem: return -5;
    }
    return -6;
}

std::ostream& operator<<(std::ostream& stream, const RegistrationStatus& status) {
    return stream << "status " << status.number();
}

}  // namespace quillmark
