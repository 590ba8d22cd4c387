#include "core/MeterChannel.h"

#include <ostream>

namespace quillmark {

std::ostream& operator<<(std::ostream& stream, const MeterChannel& channel) {
    return stream << channel.label << ":" << channel.meterIndex << " level " << channel.level << " peak "
                  << channel.peak << (channel.clip ? " clip" : "");
}

}  // namespace quillmark
