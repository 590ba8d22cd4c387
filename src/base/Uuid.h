#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

namespace quillmark {

// A random (version 4) UUID: observer tokens and pending-request keys.
class Uuid {
public:
    static Uuid make() {
        thread_local std::mt19937_64 engine{std::random_device{}()};
        Uuid id;
        id.high_ = (engine() & ~0xF000ull) | 0x4000ull;
        id.low_ = (engine() & ~(3ull << 62)) | (2ull << 62);
        return id;
    }

    friend bool operator==(const Uuid&, const Uuid&) = default;

    std::string toString() const {
        static constexpr char hex[] = "0123456789ABCDEF";
        std::string text;
        for (int i = 0; i < 32; ++i) {
            const std::uint64_t word = i < 16 ? high_ : low_;
            text += hex[(word >> (60 - 4 * (i % 16))) & 0xF];
            if (i == 7 || i == 11 || i == 15 || i == 19) text += '-';
        }
        return text;
    }

    std::size_t hash() const { return std::hash<std::uint64_t>{}(high_ ^ (low_ * 0x9E3779B97F4A7C15ull)); }

private:
    std::uint64_t high_ = 0;
    std::uint64_t low_ = 0;
};

}  // namespace quillmark

template <>
struct std::hash<quillmark::Uuid> {
    std::size_t operator()(const quillmark::Uuid& id) const noexcept { return id.hash(); }
};
