#include "platform/crash/LoadedImages.h"

#include "platform/crash/SignalSafeWriter.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <filesystem>
#include <link.h>
#include <string>

namespace quillmark {

namespace {

struct Collector {
    LoadedImages::Entry* entries;
    std::size_t capacity;
    std::size_t count = 0;
    std::string executable;
};

void copyText(char* target, std::size_t size, const char* source) {
    std::strncpy(target, source, size - 1);
    target[size - 1] = '\0';
}

void readBuildId(const dl_phdr_info* info, char* hex, std::size_t hexSize) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_NOTE) continue;
        const auto* cursor = reinterpret_cast<const unsigned char*>(info->dlpi_addr + header.p_vaddr);
        const unsigned char* end = cursor + header.p_memsz;
        while (cursor + sizeof(ElfW(Nhdr)) <= end) {
            const auto* note = reinterpret_cast<const ElfW(Nhdr)*>(cursor);
            const unsigned char* name = cursor + sizeof(ElfW(Nhdr));
            const unsigned char* desc = name + ((note->n_namesz + 3) & ~3u);
            const unsigned char* next = desc + ((note->n_descsz + 3) & ~3u);
            if (next > end) break;
            if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 && std::memcmp(name, "GNU", 4) == 0) {
                std::size_t out = 0;
                for (std::uint32_t b = 0; b < note->n_descsz && out + 2 < hexSize; ++b) {
                    hex[out++] = "0123456789abcdef"[desc[b] >> 4];
                    hex[out++] = "0123456789abcdef"[desc[b] & 0xf];
                }
                hex[out] = '\0';
                return;
            }
            cursor = next;
        }
    }
}

int collect(dl_phdr_info* info, std::size_t, void* data) {
    auto& collector = *static_cast<Collector*>(data);
    if (collector.count == collector.capacity) return 1;
    std::uint64_t low = UINT64_MAX, high = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD) continue;
        low = std::min<std::uint64_t>(low, header.p_vaddr);
        high = std::max<std::uint64_t>(high, header.p_vaddr + header.p_memsz);
    }
    if (low == UINT64_MAX) return 0;
    LoadedImages::Entry& entry = collector.entries[collector.count++];
    entry = {};
    entry.start = info->dlpi_addr + low;
    entry.size = high - low;
    readBuildId(info, entry.buildId, sizeof entry.buildId);
    const bool isExecutable = collector.count == 1 && (!info->dlpi_name || !*info->dlpi_name);
    copyText(entry.path, sizeof entry.path,
             isExecutable ? collector.executable.c_str() : (info->dlpi_name ? info->dlpi_name : ""));
    return 0;
}

int readGeneration(dl_phdr_info* info, std::size_t size, void* data) {
    if (size >= offsetof(dl_phdr_info, dlpi_subs) + sizeof info->dlpi_subs)
        *static_cast<std::uint64_t*>(data) = info->dlpi_adds + info->dlpi_subs;
    return 1;
}

}  // namespace

LoadedImages::LoadedImages() : tables_(std::make_unique<Table[]>(2)) {}

std::uint64_t LoadedImages::loaderGeneration() {
    std::uint64_t generation = 0;
    dl_iterate_phdr(readGeneration, &generation);
    return generation;
}

void LoadedImages::refresh() {
    std::lock_guard lock(refreshMutex_);
    generation_ = loaderGeneration();
    const int inactive = 1 - active_.load(std::memory_order_acquire);
    Table& table = tables_[static_cast<std::size_t>(inactive)];
    std::error_code error;
    Collector collector{table.entries.data(), capacity, 0,
                        std::filesystem::read_symlink("/proc/self/exe", error).string()};
    dl_iterate_phdr(collect, &collector);
    table.count = collector.count;
    active_.store(inactive, std::memory_order_release);
}

void LoadedImages::refreshIfChanged() {
    {
        std::lock_guard lock(refreshMutex_);
        if (loaderGeneration() == generation_) return;
    }
    refresh();
}

std::size_t LoadedImages::count() const noexcept {
    return tables_[static_cast<std::size_t>(active_.load(std::memory_order_acquire))].count;
}

void LoadedImages::writeTo(SignalSafeWriter& writer) const noexcept {
    const Table& table = tables_[static_cast<std::size_t>(active_.load(std::memory_order_acquire))];
    for (std::size_t i = 0; i < table.count; ++i) {
        const Entry& entry = table.entries[i];
        writer.text("image ").hex(entry.start).put(' ').hex(entry.size).put(' ');
        writer.text(entry.buildId[0] ? entry.buildId : "-").put(' ').text(entry.path).put('\n');
    }
}

}  // namespace quillmark
