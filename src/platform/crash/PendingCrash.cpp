#include "platform/crash/PendingCrash.h"

#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quillmark {

namespace {

std::optional<std::uint64_t> number(const std::string& text) {
    if (text.empty()) return std::nullopt;
    try {
        std::size_t used = 0;
        const std::uint64_t value = std::stoull(text, &used, 0);
        if (used != text.size()) return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<PendingCrash::Image> parseImage(const std::string& rest) {
    std::istringstream fields(rest);
    std::string start, size, buildId;
    if (!(fields >> start >> size >> buildId)) return std::nullopt;
    std::string path;
    std::getline(fields, path);
    if (!path.empty() && path.front() == ' ') path.erase(0, 1);
    const auto startValue = number(start);
    const auto sizeValue = number(size);
    if (!startValue || !sizeValue) return std::nullopt;
    return PendingCrash::Image{*startValue, *sizeValue, buildId == "-" ? std::string() : buildId, path};
}

// A member of another kind counts as missing: json::value() would throw on it.
std::string textMember(const nlohmann::json& object, const char* key, const char* fallback) {
    const auto member = object.find(key);
    return member != object.end() && member->is_string() ? member->get<std::string>() : fallback;
}

std::optional<SentryBreadcrumb> parseBreadcrumb(const std::string& rest) {
    const nlohmann::json json = nlohmann::json::parse(rest, nullptr, false);
    if (!json.is_object()) return std::nullopt;
    SentryBreadcrumb crumb;
    crumb.category = textMember(json, "category", "");
    crumb.type = textMember(json, "type", "default");
    crumb.level = textMember(json, "level", "info");
    if (json.contains("message") && json["message"].is_string()) crumb.message = json["message"].get<std::string>();
    if (json.contains("data") && json["data"].is_object())
        crumb.data = json["data"].get<std::map<std::string, nlohmann::json>>();
    if (json.contains("timestamp") && json["timestamp"].is_number()) crumb.timestamp = json["timestamp"].get<double>();
    return crumb;
}

bool applyLine(PendingCrash& crash, const std::string& key, const std::string& rest) {
    if (key == "frame") {
        const auto value = number(rest);
        if (value) crash.frames.push_back(*value);
        return value.has_value();
    }
    if (key == "image") {
        auto image = parseImage(rest);
        if (image) crash.images.push_back(std::move(*image));
        return image.has_value();
    }
    if (key == "breadcrumb") {
        // A breadcrumb torn by the crash is dropped; the rest of the record stands.
        if (auto crumb = parseBreadcrumb(rest)) crash.breadcrumbs.push_back(std::move(*crumb));
        return true;
    }
    if (key == "kind") {
        crash.kind = rest;
        return rest == "crash" || rest == "hang";
    }
    if (key == "release") crash.release = rest;
    else if (key == "environment") crash.environment = rest;
    else if (key == "os_name") crash.osName = rest;
    else if (key == "os_version") crash.osVersion = rest;
    else if (key == "time") {
        std::istringstream parts(rest);
        long long seconds = 0, nanoseconds = 0;
        if (!(parts >> seconds >> nanoseconds)) return false;
        crash.timestamp = static_cast<double>(seconds) + static_cast<double>(nanoseconds) / 1e9;
    } else {
        const auto value = number(rest);
        if (!value) return key != "signal" && key != "thread";
        if (key == "signal") crash.signal = static_cast<int>(*value);
        else if (key == "code") crash.code = static_cast<int>(static_cast<std::int64_t>(*value));
        else if (key == "address") crash.faultAddress = *value;
        else if (key == "thread") crash.threadId = *value;
        else if (key == "hang_ms") crash.hangMilliseconds = static_cast<std::int64_t>(*value);
    }
    return true;
}

const char* signalName(int signal) {
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    case SIGTRAP: return "SIGTRAP";
    default: return "SIGNAL";
    }
}

std::string hexText(std::uint64_t value) {
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

// The build id's first 16 bytes as a GUID, its first three fields in little-endian order.
std::string debugIdOf(const std::string& buildId) {
    std::string hex = buildId.substr(0, 32);
    hex.resize(32, '0');
    auto swapped = [&](std::size_t offset, std::size_t bytes) {
        std::string out;
        for (std::size_t i = bytes; i > 0; --i) out += hex.substr(offset + (i - 1) * 2, 2);
        return out;
    };
    return swapped(0, 4) + "-" + swapped(8, 2) + "-" + swapped(12, 2) + "-" + hex.substr(16, 4) + "-" +
           hex.substr(20, 12);
}

}  // namespace

std::optional<PendingCrash> PendingCrash::parse(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != "quillmark-crash 1") return std::nullopt;
    PendingCrash crash;
    bool ended = false;
    while (std::getline(lines, line)) {
        if (line == "end") {
            ended = true;
            break;
        }
        const auto space = line.find(' ');
        if (space == std::string::npos) return std::nullopt;
        if (!applyLine(crash, line.substr(0, space), line.substr(space + 1))) return std::nullopt;
    }
    if (!ended || crash.kind.empty()) return std::nullopt;
    return crash;
}

std::optional<PendingCrash> PendingCrash::read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str());
}

SentryEvent PendingCrash::toEvent(const std::string& eventId) const {
    SentryEvent event;
    event.eventId = eventId;
    event.timestamp = timestamp;
    event.release = release;
    event.environment = environment;
    if (osName) event.os = SentryEvent::OperatingSystem{*osName, osVersion};
    event.level = kind == "hang" ? "error" : "fatal";

    SentryEvent::Stacktrace stack;
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        SentryEvent::Frame entry;
        entry.instructionAddress = *frame;
        for (const auto& image : images) {
            if (*frame >= image.start && *frame < image.start + image.size) entry.package = image.path;
        }
        stack.frames.push_back(std::move(entry));
    }

    SentryEvent::Exception exception;
    exception.threadId = threadId;
    if (kind == "hang") {
        exception.type = "App Hanging";
        exception.value = "App hanging for at least " + std::to_string(hangMilliseconds) + " ms.";
        exception.mechanism = "AppHang";
    } else {
        exception.type = signalName(signal);
        exception.value = std::string("Fatal signal ") + signalName(signal) + " (" + std::to_string(signal) +
                          "), code " + std::to_string(code) + ", address " + hexText(faultAddress);
        exception.mechanismMeta =
            nlohmann::json{{"signal", {{"number", signal}, {"code", code}, {"name", signalName(signal)}}}};
    }
    event.exceptions = std::vector<SentryEvent::Exception>{exception};

    SentryEvent::Thread thread;
    thread.id = threadId;
    thread.crashed = kind != "hang";
    thread.current = true;
    if (!stack.frames.empty()) thread.stacktrace = std::move(stack);
    event.threads = std::vector<SentryEvent::Thread>{std::move(thread)};

    std::vector<SentryEvent::DebugImage> debugImages;
    for (const auto& image : images) {
        SentryEvent::DebugImage entry;
        if (!image.path.empty()) entry.codeFile = image.path;
        entry.codeId = image.buildId;
        entry.debugId = debugIdOf(image.buildId);
        entry.imageAddress = image.start;
        entry.imageSize = image.size;
        debugImages.push_back(std::move(entry));
    }
    event.debugMeta = std::move(debugImages);
    if (!breadcrumbs.empty()) event.breadcrumbs = breadcrumbs;
    return event;
}

}  // namespace quillmark
