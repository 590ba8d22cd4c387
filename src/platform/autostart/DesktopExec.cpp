#include "platform/autostart/DesktopExec.h"

namespace quillmark {
namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

bool needsQuotes(std::string_view argument) {
    if (argument.empty()) return true;
    for (const char c : argument) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || kReserved.find(c) != std::string_view::npos) return true;
    }
    return false;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Splits the way the launchers do: double quotes with their four escapes, single quotes taken literally,
// a backslash outside quotes taking the next character as it is.
class Splitter {
public:
    explicit Splitter(std::string_view command) : command_(command) {}

    std::optional<std::vector<std::string>> run() {
        while (next()) {
            if (!ok_) return std::nullopt;
        }
        if (!ok_) return std::nullopt;
        if (inArgument_) arguments_.push_back(current_);
        return arguments_;
    }

private:
    bool next() {
        if (at_ >= command_.size()) return false;
        const char c = command_[at_++];
        if (isSeparator(c)) {
            if (inArgument_) arguments_.push_back(std::move(current_));
            current_.clear();
            inArgument_ = false;
            return true;
        }
        inArgument_ = true;
        if (c == '"') doubleQuoted();
        else if (c == '\'') singleQuoted();
        else if (c == '\\' && at_ < command_.size()) literal(command_[at_++]);
        else literal(c);
        return true;
    }

    void doubleQuoted() {
        while (at_ < command_.size()) {
            const char c = command_[at_++];
            if (c == '"') return;
            if (c == '\\' && at_ < command_.size() && kEscapedInQuotes.find(command_[at_]) != std::string_view::npos) {
                current_ += command_[at_++];
            } else {
                literal(c);
            }
        }
        ok_ = false;
    }

    void singleQuoted() {
        const auto end = command_.find('\'', at_);
        if (end == std::string_view::npos) {
            ok_ = false;
            return;
        }
        for (; at_ < end; ++at_) literal(command_[at_]);
        at_ = end + 1;
    }

    // A percent sign starts a field code: %% is one literal percent sign, the others stay as written.
    void literal(char c) {
        current_ += c;
        if (c == '%' && at_ < command_.size() && command_[at_] == '%') ++at_;
    }

    std::string_view command_;
    std::size_t at_ = 0;
    std::vector<std::string> arguments_;
    std::string current_;
    bool inArgument_ = false;
    bool ok_ = true;
};

}  // namespace

std::string DesktopExec::commandFor(std::string_view program) {
    const bool quoted = needsQuotes(program);
    std::string command;
    if (quoted) command += '"';
    for (const char c : program) {
        if (quoted && kEscapedInQuotes.find(c) != std::string_view::npos) command += '\\';
        command += c;
        if (c == '%') command += '%';
    }
    if (quoted) command += '"';
    return command;
}

std::optional<std::vector<std::string>> DesktopExec::arguments(std::string_view command) {
    return Splitter(command).run();
}

}  // namespace quillmark
