#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillmark {

// A data source name, scheme://key@host[:port]/[path/]project: where and as whom events are sent.
// Only HTTPS is accepted, and plain HTTP to a loopback host (for tests).
struct SentryDsn {
    std::string scheme;
    std::string publicKey;
    std::string host;
    std::optional<std::uint16_t> port;
    std::string pathPrefix;  // "/" or "/some/path/"
    std::string projectId;

    static std::optional<SentryDsn> parse(const std::string& text);

    std::string envelopeUrl() const;
    std::string authHeader(const std::string& client) const;
};

}  // namespace quillmark
