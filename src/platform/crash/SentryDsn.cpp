#include "platform/crash/SentryDsn.h"

#include <charconv>

namespace quillmark {

namespace {

bool isLoopback(const std::string& host) {
    return host == "localhost" || host == "[::1]" || host.rfind("127.", 0) == 0;
}

std::optional<std::uint16_t> parsePort(const std::string& text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<SentryDsn> SentryDsn::parse(const std::string& text) {
    SentryDsn dsn;
    const auto schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos) return std::nullopt;
    dsn.scheme = text.substr(0, schemeEnd);
    std::string rest = text.substr(schemeEnd + 3);
    const auto at = rest.find('@');
    const auto firstSlash = rest.find('/');
    if (at == std::string::npos || firstSlash == std::string::npos || at > firstSlash) return std::nullopt;
    dsn.publicKey = rest.substr(0, at);
    if (const auto colon = dsn.publicKey.find(':'); colon != std::string::npos) dsn.publicKey.resize(colon);
    std::string hostPort = rest.substr(at + 1, firstSlash - at - 1);
    const std::string path = rest.substr(firstSlash);
    const auto portColon = hostPort.rfind(':');
    if (portColon != std::string::npos && hostPort.find(']', portColon) == std::string::npos) {
        dsn.port = parsePort(hostPort.substr(portColon + 1));
        if (!dsn.port) return std::nullopt;
        hostPort.resize(portColon);
    }
    dsn.host = hostPort;
    const auto lastSlash = path.rfind('/');
    dsn.pathPrefix = path.substr(0, lastSlash + 1);
    dsn.projectId = path.substr(lastSlash + 1);
    if (dsn.publicKey.empty() || dsn.host.empty() || dsn.projectId.empty()) return std::nullopt;
    if (dsn.projectId.find_first_of("?#") != std::string::npos) return std::nullopt;
    if (dsn.scheme != "https" && !(dsn.scheme == "http" && isLoopback(dsn.host))) return std::nullopt;
    return dsn;
}

std::string SentryDsn::envelopeUrl() const {
    std::string url = scheme + "://" + host;
    if (port) url += ":" + std::to_string(*port);
    return url + pathPrefix + "api/" + projectId + "/envelope/";
}

std::string SentryDsn::authHeader(const std::string& client) const {
    return "Sentry sentry_version=7, sentry_client=" + client + ", sentry_key=" + publicKey;
}

}  // namespace quillmark
