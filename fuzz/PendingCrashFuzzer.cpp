// The pending-crash reader: any record on disk gives nothing or an event, and the event always
// becomes an envelope whose payload is JSON of the stated length.
#include "FuzzCheck.h"
#include "platform/crash/EnvelopeBuilder.h"
#include "platform/crash/PendingCrash.h"
#include "platform/crash/SentryDsn.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <sstream>
#include <string>

using namespace quillmark;
using quillmark::fuzz::check;

namespace {

constexpr const char* kDsnText = "https://public@sentry.invalid/1";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto crash = PendingCrash::parse(text);
    if (!crash) return 0;
    check(crash->kind == "crash" || crash->kind == "hang", "a record is a crash or a hang");

    static const auto dsn = SentryDsn::parse(kDsnText);
    check(dsn.has_value(), "the DSN parses");
    const SentryEvent event = crash->toEvent(std::string(32, 'a'));
    const std::string envelope = EnvelopeBuilder::build(event, *dsn, kDsnText);

    std::istringstream lines(envelope);
    std::string header, item, payload;
    check(std::getline(lines, header) && std::getline(lines, item) && std::getline(lines, payload),
          "an envelope has a header, an item header and a payload");
    const auto itemHeader = nlohmann::json::parse(item, nullptr, false);
    check(itemHeader.is_object() && itemHeader["length"] == payload.size(), "the item states its payload's length");
    check(nlohmann::json::accept(payload), "the payload is JSON");
    return 0;
}
