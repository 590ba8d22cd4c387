#pragma once

#include <cstddef>

namespace quillmark {

// Lookups in a constant table of rows, the one way this program maps an enumeration to its texts and
// back: the row whose `column` equals `key`, or null.
template <typename Row, std::size_t count, typename Column, typename Key>
constexpr const Row* findRow(const Row (&rows)[count], Column Row::*column, const Key& key) noexcept {
    for (const Row& row : rows)
        if (row.*column == key) return &row;
    return nullptr;
}

}  // namespace quillmark
