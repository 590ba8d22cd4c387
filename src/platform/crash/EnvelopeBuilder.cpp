#include "platform/crash/EnvelopeBuilder.h"

#include <random>

namespace quillmark {

std::string EnvelopeBuilder::build(const SentryEvent& event, const SentryDsn&, const std::string& dsnText) {
    const std::string payload = event.toJson().dump();
    const nlohmann::json header{{"event_id", event.eventId}, {"dsn", dsnText}};
    const nlohmann::json item{{"type", "event"}, {"length", payload.size()}, {"content_type", "application/json"}};
    return header.dump() + "\n" + item.dump() + "\n" + payload + "\n";
}

std::string EnvelopeBuilder::newEventId() {
    std::random_device random;
    std::string id;
    for (int i = 0; i < 4; ++i) {
        const unsigned value = random();
        for (int shift = 28; shift >= 0; shift -= 4) id += "0123456789abcdef"[(value >> shift) & 0xf];
    }
    return id;
}

}  // namespace quillmark
