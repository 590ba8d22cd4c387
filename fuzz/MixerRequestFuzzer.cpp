// The request builder: whatever path and value it is given, a request either goes out as one text
// with no NUL in it (the terminator is the writer's) or holds a NUL and is refused before the wire;
// and what it builds reads back, as the engine reads requests, as the verb, path and value it was given.
#include "FuzzCheck.h"
#include "Request.h"
#include "Utf8.h"
#include "core/MixerRequest.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

using namespace quillmark;
using quillmark::fuzz::check;

namespace {

MixerRequest build(FuzzedDataProvider& provider, std::string path) {
    switch (provider.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return MixerRequest::get(std::move(path));
    case 1: return MixerRequest::subscribe(std::move(path));
    case 2: return MixerRequest::setRaw(std::move(path), provider.ConsumeRemainingBytesAsString());
    default: return MixerRequest::setProperty(std::move(path), provider.ConsumeRemainingBytesAsString());
    }
}

sim::Request::Verb simVerb(MixerVerb verb) {
    switch (verb) {
    case MixerVerb::get: return sim::Request::Verb::get;
    case MixerVerb::set: return sim::Request::Verb::set;
    case MixerVerb::subscribe: return sim::Request::Verb::subscribe;
    }
    return sim::Request::Verb::get;
}

bool readsBackAsGiven(const MixerRequest& request) {
    const bool plainPath = !request.path.empty() && request.path.front() == '/' &&
                           request.path.find(' ') == std::string::npos && sim::isValidUtf8(request.path);
    return plainPath && (!request.value || sim::isValidUtf8(*request.value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string path = provider.ConsumeRandomLengthString(256);
    const MixerRequest request = build(provider, path);

    const bool nulInside =
        path.find('\0') != std::string::npos || (request.value && request.value->find('\0') != std::string::npos);
    check(request.holdsNul() == nulInside, "holdsNul finds every NUL of the path and the value");
    if (request.holdsNul()) return 0;

    const std::string wire = request.wireString();
    check(wire.find('\0') == std::string::npos, "no NUL reaches the wire text");
    if (!readsBackAsGiven(request)) return 0;

    std::string reason;
    const auto read = sim::Request::parse(wire, reason);
    check(read.has_value(), "a request with a plain path reads back");
    check(read->verb == simVerb(request.verb), "the verb reads back");
    check(read->value == request.value, "the value reads back exactly");
    if (request.useValueSuffix) {
        check(read->path.starts_with(request.path), "the property's path leads the value node's");
        check(read->path.ends_with("/value/"), "a property is written at its value node");
    } else {
        check(read->path == request.path, "the path reads back exactly");
    }
    return 0;
}
