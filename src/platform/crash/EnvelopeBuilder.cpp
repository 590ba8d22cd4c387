#include "platform/crash/EnvelopeBuilder.h"

#include <random>

namespace quillmark {

std::string EnvelopeBuilder::build(const SentryEvent& event, const SentryDsn&, const std::string& dsnText) {
    // Texts read back from a record (kernel release, library paths) need not be UTF-8: a byte that is
    // not becomes U+FFFD rather than failing the whole report.
    const std::string payload = event.toJson().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    const nlohmann::json header{{"event_id", event.eventId}, {"dsn", dsnText}};
    const nlohmann::json item{{"type", "event"}, {"length", payload.size()}, {"content_type", "application/json"}};
    const auto replace = nlohmann::json::error_handler_t::replace;
    return header.dump(-1, ' ', false, replace) + "\n" + item.dump() + "\n" + payload + "\n";
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
