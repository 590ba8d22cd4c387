#include "platform/crash/SentryEvent.h"

#include <cstdio>

namespace quillmark {

namespace {

std::string hexAddress(std::uint64_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(address));
    return text;
}

nlohmann::json frameJson(const SentryEvent::Frame& frame) {
    nlohmann::json json{{"instruction_addr", hexAddress(frame.instructionAddress)}};
    if (frame.package) json["package"] = *frame.package;
    if (frame.fileName) json["filename"] = *frame.fileName;
    if (frame.function) json["function"] = *frame.function;
    return json;
}

nlohmann::json stacktraceJson(const SentryEvent::Stacktrace& stacktrace) {
    nlohmann::json frames = nlohmann::json::array();
    for (const auto& frame : stacktrace.frames) frames.push_back(frameJson(frame));
    return {{"frames", frames}};
}

nlohmann::json exceptionJson(const SentryEvent::Exception& exception) {
    nlohmann::json mechanism{{"type", exception.mechanism}, {"handled", false}};
    if (exception.mechanismMeta) mechanism["meta"] = *exception.mechanismMeta;
    nlohmann::json json{{"type", exception.type}, {"mechanism", mechanism}};
    if (exception.value) json["value"] = *exception.value;
    if (exception.threadId) json["thread_id"] = *exception.threadId;
    if (exception.stacktrace) json["stacktrace"] = stacktraceJson(*exception.stacktrace);
    return json;
}

nlohmann::json threadJson(const SentryEvent::Thread& thread) {
    nlohmann::json json{{"id", thread.id}, {"crashed", thread.crashed}, {"current", thread.current}};
    if (thread.name) json["name"] = *thread.name;
    if (thread.stacktrace) json["stacktrace"] = stacktraceJson(*thread.stacktrace);
    return json;
}

nlohmann::json imageJson(const SentryEvent::DebugImage& image) {
    nlohmann::json json{{"type", "elf"},
                        {"code_id", image.codeId},
                        {"debug_id", image.debugId},
                        {"image_addr", hexAddress(image.imageAddress)},
                        {"image_size", image.imageSize}};
    if (image.codeFile) json["code_file"] = *image.codeFile;
    return json;
}

template <class Item, class ToJson>
nlohmann::json arrayJson(const std::vector<Item>& items, ToJson toJson) {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& item : items) array.push_back(toJson(item));
    return array;
}

}  // namespace

nlohmann::json SentryEvent::toJson() const {
    nlohmann::json json{{"event_id", eventId}, {"timestamp", timestamp}, {"level", level}, {"platform", platform}};
    if (release) json["release"] = *release;
    if (environment) json["environment"] = *environment;
    if (message) {
        nlohmann::json object = nlohmann::json::object();
        if (message->message) object["message"] = *message->message;
        if (message->formatted) object["formatted"] = *message->formatted;
        json["message"] = object;
    }
    if (extra) json["extra"] = *extra;
    if (exceptions) json["exception"] = {{"values", arrayJson(*exceptions, exceptionJson)}};
    if (transaction) json["transaction"] = *transaction;
    if (threads) json["threads"] = {{"values", arrayJson(*threads, threadJson)}};
    if (debugMeta) json["debug_meta"] = {{"images", arrayJson(*debugMeta, imageJson)}};
    if (breadcrumbs)
        json["breadcrumbs"] = {
            {"values", arrayJson(*breadcrumbs, [](const SentryBreadcrumb& crumb) { return crumb.toJson(); })}};
    return json;
}

}  // namespace quillmark
