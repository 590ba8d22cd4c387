#include "Utf8.h"

namespace quillmark::sim {

namespace {

// Number of continuation bytes a lead byte announces, or -1 for a byte that cannot lead.
int continuationCount(unsigned char lead) {
    if (lead < 0x80) return 0;
    if (lead >= 0xc2 && lead <= 0xdf) return 1;
    if (lead >= 0xe0 && lead <= 0xef) return 2;
    if (lead >= 0xf0 && lead <= 0xf4) return 3;
    return -1;
}

// The allowed range of the first continuation byte after `lead` (excludes overlongs, surrogates, > U+10FFFF).
bool firstContinuationAllowed(unsigned char lead, unsigned char next) {
    switch (lead) {
    case 0xe0: return next >= 0xa0 && next <= 0xbf;
    case 0xed: return next >= 0x80 && next <= 0x9f;
    case 0xf0: return next >= 0x90 && next <= 0xbf;
    case 0xf4: return next >= 0x80 && next <= 0x8f;
    default: return next >= 0x80 && next <= 0xbf;
    }
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int count = continuationCount(lead);
        if (count < 0 || text.size() - i <= static_cast<std::size_t>(count)) return false;
        for (int k = 1; k <= count; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            const bool allowed = k == 1 ? firstContinuationAllowed(lead, next) : (next >= 0x80 && next <= 0xbf);
            if (!allowed) return false;
        }
        i += static_cast<std::size_t>(count) + 1;
    }
    return true;
}

}  // namespace quillmark::sim
