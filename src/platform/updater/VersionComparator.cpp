#include "platform/updater/VersionComparator.h"

#include <algorithm>
#include <vector>

namespace quillmark {
namespace {

enum class PartType { number, period, text };

struct Part {
    PartType type;
    std::string_view text;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

PartType typeOf(char c) {
    if (isDigit(c)) return PartType::number;
    if (c == '.') return PartType::period;
    return PartType::text;
}

// Runs of one type; every period is a part of its own. Blanks separate parts and are dropped.
std::vector<Part> split(std::string_view version) {
    std::vector<Part> parts;
    std::size_t start = 0;
    while (start < version.size()) {
        if (version[start] == ' ' || version[start] == '\t') {
            ++start;
            continue;
        }
        const PartType type = typeOf(version[start]);
        std::size_t end = start + 1;
        if (type != PartType::period)
            while (end < version.size() && version[end] != ' ' && version[end] != '\t' && typeOf(version[end]) == type)
                ++end;
        parts.push_back({type, version.substr(start, end - start)});
        start = end;
    }
    return parts;
}

// Digit runs of any length, compared as numbers without converting them.
int compareNumbers(std::string_view a, std::string_view b) {
    const auto significant = [](std::string_view digits) {
        const auto first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : digits.substr(first);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int compareParts(const Part& a, const Part& b) {
    if (a.type == b.type) {
        if (a.type == PartType::number) return compareNumbers(a.text, b.text);
        if (a.type == PartType::text) {
            const int order = a.text.compare(b.text);
            return order < 0 ? -1 : (order > 0 ? 1 : 0);
        }
        return 0;
    }
    // Letters lose to anything; otherwise a number beats a period.
    if (b.type == PartType::text) return 1;
    if (a.type == PartType::text) return -1;
    return a.type == PartType::number ? 1 : -1;
}

}  // namespace

int VersionComparator::compare(std::string_view a, std::string_view b) {
    const auto partsA = split(a);
    const auto partsB = split(b);
    const std::size_t common = std::min(partsA.size(), partsB.size());
    for (std::size_t i = 0; i < common; ++i)
        if (const int order = compareParts(partsA[i], partsB[i])) return order;
    if (partsA.size() == partsB.size()) return 0;
    // The longer one goes on: with letters it is a pre-release of the shorter, else a later version.
    const bool aLonger = partsA.size() > partsB.size();
    const Part& next = aLonger ? partsA[common] : partsB[common];
    const int longerIsNewer = next.type == PartType::text ? -1 : 1;
    return aLonger ? longerIsNewer : -longerIsNewer;
}

}  // namespace quillmark
