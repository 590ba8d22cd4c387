#include "core/ChannelLayout.h"

#include "core/DecimalInteger.h"

#include <algorithm>
#include <array>
#include <string>

namespace quillmark {

namespace {

using Definitions = std::vector<MeterChannelDefinition>;

// A mode text asking for more channels than this is not a monitor format; metering it would only
// exhaust memory, so it falls back to stereo like any other unknown mode.
constexpr std::int64_t maxImmersiveChannels = 128;

struct FixedLayout {
    std::string_view mode;
    Definitions music;
    Definitions film;
};

const std::vector<FixedLayout>& fixedLayouts() {
    static const std::vector<FixedLayout> layouts{
        {"STEREO", {{"L", 0}, {"R", 1}}, {{"L", 0}, {"R", 1}}},
        {"2.1", {{"L", 0}, {"R", 1}, {"LFE", 2}}, {{"L", 0}, {"R", 1}, {"LFE", 2}}},
        {"LCR", {{"L", 0}, {"R", 1}, {"C", 2}}, {{"L", 0}, {"C", 2}, {"R", 1}}},
        {"LCRS", {{"L", 0}, {"R", 1}, {"C", 2}, {"S", 3}}, {{"L", 0}, {"C", 2}, {"R", 1}, {"S", 3}}},
        {"QUAD", {{"L", 0}, {"R", 1}, {"Ls", 2}, {"Rs", 3}}, {{"L", 0}, {"R", 1}, {"Ls", 2}, {"Rs", 3}}},
        {"5.1",
         {{"L", 0}, {"R", 1}, {"C", 2}, {"LFE", 3}, {"Ls", 4}, {"Rs", 5}},
         {{"L", 0}, {"C", 2}, {"R", 1}, {"Ls", 4}, {"Rs", 5}, {"LFE", 3}}},
        {"6.1",
         {{"L", 0}, {"R", 1}, {"C", 2}, {"LFE", 3}, {"Ls", 4}, {"Rs", 5}, {"Cs", 6}},
         {{"L", 0}, {"C", 2}, {"R", 1}, {"Ls", 4}, {"Rs", 5}, {"Cs", 6}, {"LFE", 3}}},
        {"7.1",
         {{"L", 0}, {"R", 1}, {"C", 2}, {"LFE", 3}, {"Ls", 4}, {"Rs", 5}, {"Lb", 6}, {"Rb", 7}},
         {{"L", 0}, {"C", 2}, {"R", 1}, {"Ls", 4}, {"Rs", 5}, {"Lb", 6}, {"Rb", 7}, {"LFE", 3}}},
    };
    return layouts;
}

Definitions stereo() { return {{"L", 0}, {"R", 1}}; }

std::string upperCased(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : char(c); });
    return upper;
}

std::vector<std::string_view> nonEmptyPieces(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const std::size_t cut = std::min(text.find(separator), text.size());
        if (cut > 0) pieces.push_back(text.substr(0, cut));
        text.remove_prefix(std::min(cut + 1, text.size()));
    }
    return pieces;
}

std::vector<std::string> bedLabels(std::int64_t main, std::int64_t lfe) {
    std::vector<std::string> bed{"L", "R"};
    if (main >= 3) bed.emplace_back("C");
    if (lfe > 0) bed.emplace_back("LFE");
    if (main >= 5) bed.insert(bed.end(), {"Ls", "Rs"});
    if (main >= 7) bed.insert(bed.end(), {"Lb", "Rb"});
    if (main >= 9) bed.insert(bed.end(), {"Lw", "Rw"});
    return bed;
}

std::vector<std::string> heightLabels(std::int64_t height) {
    switch (height) {
    case 0: return {};
    case 2: return {"Ltf", "Rtf"};
    case 4: return {"Ltf", "Rtf", "Ltr", "Rtr"};
    case 6: return {"Ltf", "Rtf", "Ltm", "Rtm", "Ltr", "Rtr"};
    default: break;
    }
    std::vector<std::string> labels;
    for (std::int64_t k = 1; k <= height; ++k) labels.push_back("Th" + std::to_string(k));
    return labels;
}

Definitions filmOrder(const Definitions& all, const std::vector<std::string>& heights) {
    Definitions film;
    auto place = [&](std::string_view label) {
        const auto found = std::find_if(all.begin(), all.end(), [&](const auto& d) { return d.label == label; });
        const bool placed = std::any_of(film.begin(), film.end(), [&](const auto& d) { return d.label == label; });
        if (found != all.end() && !placed) film.push_back(*found);
    };
    for (std::string_view label : {"L", "C", "R", "Ls", "Rs", "Lb", "Rb", "Lw", "Rw"}) place(label);
    for (const std::string& label : heights) place(label);
    for (const auto& definition : all)
        if (definition.label != "LFE") place(definition.label);
    place("LFE");
    return film;
}

}  // namespace

std::vector<MeterChannelDefinition> ChannelLayout::channels(std::optional<std::string_view> surroundMode,
                                                            MeterChannelOrder order) {
    const std::string mode = upperCased(surroundMode.value_or(std::string_view()));
    for (const FixedLayout& layout : fixedLayouts())
        if (layout.mode == mode) return order == MeterChannelOrder::film ? layout.film : layout.music;

    const std::vector<std::string_view> pieces = nonEmptyPieces(mode, '.');
    if (pieces.size() != 2 && pieces.size() != 3) return stereo();
    std::array<std::int64_t, 3> numbers{0, 0, 0};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::optional<std::int64_t> number = decimalInteger(pieces[i]);
        if (!number) return stereo();
        numbers[i] = *number;
    }
    const auto [main, lfe, height] = numbers;
    if (main < 1 || lfe < 0 || height < 0) return stereo();
    // Each is checked on its own first, so the sum cannot leave the 64-bit range.
    if (main > maxImmersiveChannels || lfe > maxImmersiveChannels || height > maxImmersiveChannels) return stereo();
    const std::int64_t total = main + lfe + height;
    if (total < 2 || total > maxImmersiveChannels) return stereo();
    return immersive(main, lfe, height, order);
}

std::vector<MeterChannelDefinition> ChannelLayout::immersive(std::int64_t main, std::int64_t lfe, std::int64_t height,
                                                             MeterChannelOrder order) {
    std::vector<std::string> labels = bedLabels(main, lfe);
    const std::vector<std::string> heights = heightLabels(height);
    labels.insert(labels.end(), heights.begin(), heights.end());
    while (static_cast<std::int64_t>(labels.size()) < main + lfe + height)
        labels.push_back("Ch" + std::to_string(labels.size() + 1));

    Definitions all;
    for (std::size_t i = 0; i < labels.size(); ++i) all.push_back({labels[i], static_cast<std::int64_t>(i)});
    return order == MeterChannelOrder::film ? filmOrder(all, heights) : all;
}

}  // namespace quillmark
