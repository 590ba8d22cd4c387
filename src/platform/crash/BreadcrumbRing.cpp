#include "platform/crash/BreadcrumbRing.h"

#include "platform/crash/SignalSafeWriter.h"

#include <cstring>

namespace quillmark {

bool BreadcrumbRing::add(const std::string& json) {
    if (json.empty() || json.size() > slotSize || json.find('\n') != std::string::npos) return false;
    std::lock_guard lock(addMutex_);
    const std::size_t index = next_.load(std::memory_order_relaxed);
    Slot& slot = slots_[index % capacity];
    slot.size.store(0, std::memory_order_release);
    std::memcpy(slot.text, json.data(), json.size());
    slot.size.store(static_cast<std::uint32_t>(json.size()), std::memory_order_release);
    next_.store(index + 1, std::memory_order_release);
    return true;
}

void BreadcrumbRing::clear() {
    std::lock_guard lock(addMutex_);
    for (auto& slot : slots_) slot.size.store(0, std::memory_order_release);
    next_.store(0, std::memory_order_release);
}

void BreadcrumbRing::writeTo(SignalSafeWriter& writer) const noexcept {
    const std::size_t next = next_.load(std::memory_order_acquire);
    const std::size_t first = next > capacity ? next - capacity : 0;
    for (std::size_t i = first; i < next; ++i) {
        const Slot& slot = slots_[i % capacity];
        const std::uint32_t size = slot.size.load(std::memory_order_acquire);
        if (size == 0) continue;
        writer.text("breadcrumb ").bytes(slot.text, size).put('\n');
    }
}

}  // namespace quillmark
