#pragma once

#include "platform/crash/SentryDsn.h"
#include "platform/crash/SentryEvent.h"

#include <string>

namespace quillmark {

// Packs one event into a Sentry envelope: a header line, an item header line and the event's JSON.
class EnvelopeBuilder {
public:
    static std::string build(const SentryEvent& event, const SentryDsn& dsn, const std::string& dsnText);
    // 32 random hex digits.
    static std::string newEventId();

    EnvelopeBuilder() = delete;
};

}  // namespace quillmark
