#include "core/MixerMessageBuffer.h"

namespace quillmark {

void MixerMessageBuffer::clear() noexcept {
    pending_.clear();
    pending_.shrink_to_fit();
}

}  // namespace quillmark
