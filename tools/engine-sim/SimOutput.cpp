#include "SimOutput.h"

#include "Utf8.h"

#include <cstdio>
#include <iostream>

namespace quillmark::sim {

bool SimOutput::logRequestsTo(const std::string& target) {
    if (target == "-") {
        target_ = Target::standardOutput;
        return true;
    }
    file_.open(target, std::ios::app);
    target_ = file_ ? Target::file : Target::none;
    return target_ == Target::file;
}

void SimOutput::line(const std::string& text) { std::cout << text << std::endl; }

void SimOutput::request(const std::string& text) {
    const std::string entry = "recv: " + printable(text);
    if (target_ == Target::standardOutput) line(entry);
    else if (target_ == Target::file) file_ << entry << std::endl;
}

std::string SimOutput::printable(const std::string& text) {
    const bool utf8 = isValidUtf8(text);
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || (!utf8 && byte >= 0x80)) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace quillmark::sim
