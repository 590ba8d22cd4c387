#pragma once

#include <QByteArray>

namespace quillmark::testing {

// The start of a type-2 AppImage as its runtime begins: a 64-bit little-endian ELF executable header
// (ET_EXEC, x86-64) with "AI" 0x02 at byte 8, followed by `payload`, which tells one release from another.
inline QByteArray appImageBytes(const QByteArray& payload) {
    QByteArray header(64, '\0');
    const char ident[] = {0x7f, 'E', 'L', 'F', 2, 1, 1, 0, 'A', 'I', 2};
    for (qsizetype i = 0; i < qsizetype(sizeof ident); ++i) header[i] = ident[i];
    header[16] = 2;     // e_type: ET_EXEC
    header[18] = 0x3e;  // e_machine: x86-64
    header[20] = 1;     // e_version
    return header + payload;
}

}  // namespace quillmark::testing
