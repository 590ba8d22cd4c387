#pragma once

#include "platform/crash/SentryBreadcrumb.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillmark {

// One event as Sentry receives it: a crash or an app hang, with its stacks, images and breadcrumbs.
struct SentryEvent {
    struct Message {
        std::optional<std::string> message;
        std::optional<std::string> formatted;
    };
    struct Frame {
        std::uint64_t instructionAddress = 0;
        std::optional<std::string> package;   // the image's file
        std::optional<std::string> fileName;  // the source file, when known
        std::optional<std::string> function;
    };
    struct Stacktrace {
        std::vector<Frame> frames;  // outermost first, the crashing frame last
    };
    struct Exception {
        std::string type;
        std::optional<std::string> value;
        std::optional<std::uint64_t> threadId;
        std::string mechanism = "signalhandler";
        std::optional<nlohmann::json> mechanismMeta;
        std::optional<Stacktrace> stacktrace;
    };
    struct Thread {
        std::uint64_t id = 0;
        std::optional<std::string> name;
        bool crashed = false;
        bool current = false;
        std::optional<Stacktrace> stacktrace;
    };
    struct DebugImage {
        std::optional<std::string> codeFile;
        std::string codeId;   // the build id, hex
        std::string debugId;  // the build id's first 16 bytes as a GUID
        std::uint64_t imageAddress = 0;
        std::uint64_t imageSize = 0;
    };

    std::string eventId;  // 32 hex digits
    double timestamp = 0;
    std::string level = "fatal";
    std::string platform = "native";
    std::optional<std::string> release;
    std::optional<std::string> environment;
    std::optional<Message> message;
    std::optional<std::map<std::string, nlohmann::json>> extra;
    std::optional<std::vector<Exception>> exceptions;
    std::optional<std::string> transaction;
    std::optional<std::vector<Thread>> threads;
    std::optional<std::vector<DebugImage>> debugMeta;
    std::optional<std::vector<SentryBreadcrumb>> breadcrumbs;

    nlohmann::json toJson() const;
};

}  // namespace quillmark
