#pragma once

#include <optional>
#include <string>

namespace quillmark {

// The desktop's record of whether this program starts when the user logs in.
class LoginItemService {
public:
    enum class Status {
        notRegistered,  // no entry
        enabled,        // an entry that starts this program
        switchedOff,    // our entry, switched off by the desktop's own settings
        otherProgram,   // an entry under our name that starts something else
        invalid,        // an entry the desktop cannot run, or that cannot be read
    };

    // Nothing on success; on failure the system's own description of what failed.
    using Failure = std::optional<std::string>;

    virtual ~LoginItemService() = default;

    // Read afresh on every call.
    virtual Status status() const = 0;
    // Writes an entry that starts this program, replacing any entry under our name.
    virtual Failure registerItem() = 0;
    // Removes our entry; succeeds when there is none.
    virtual Failure unregisterItem() = 0;
};

}  // namespace quillmark
