#pragma once

#include <string>

namespace quillmark::sim {

class Session;

// What a connection reports to the server that owns it.
class SessionHandler {
public:
    virtual ~SessionHandler() = default;
    // One complete request message (the bytes before a NUL).
    virtual void onMessage(Session& session, const std::string& message) = 0;
    // A request longer than the stand-in accepts was cut off and skipped.
    virtual void onOversizedRequest(Session& session) = 0;
    // The connection has closed, from either side; called once.
    virtual void onClosed(Session& session) = 0;
};

}  // namespace quillmark::sim
