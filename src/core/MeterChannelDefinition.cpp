#include "core/MeterChannelDefinition.h"

#include <ostream>

namespace quillmark {

std::ostream& operator<<(std::ostream& stream, const MeterChannelDefinition& definition) {
    return stream << definition.label << ":" << definition.meterIndex;
}

}  // namespace quillmark
