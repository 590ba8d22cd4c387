#pragma once

#include "core/PropertyPath.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// The property paths of one interface's monitor section and of its control-room output.
struct MonitorPaths {
    PropertyPath levelDB;       // control-room monitor level in dB
    PropertyPath levelTapered;  // the same level on the engine's fader scale
    PropertyPath mute;
    PropertyPath dim;
    PropertyPath mono;  // mix to mono
    PropertyPath surroundStereoFoldDown;
    PropertyPath altMonSelection;  // device level
    PropertyPath surroundMode;     // device level
    PropertyPath deviceOnline;     // device level
    std::string crOutputBase;      // the control-room output node; the meters hang below it

    // The catalogue for device `deviceID` and control-room output `crOutputID`, identifiers inserted
    // verbatim as the engine names its nodes (for example "0" and "22").
    static MonitorPaths forDevice(std::string_view deviceID, std::string_view crOutputID);
    // The fallback while no control-room output has been discovered: device "0", output "22".
    static const MonitorPaths& apolloX8();
    // Talkback is a root property, the same for every interface: /TalkbackOn.
    static const PropertyPath& talkbackOn();

    // The ten paths to subscribe when a connection is ready: the nine fields in order, then talkback.
    std::vector<std::string> allSubscriptions() const;

    friend bool operator==(const MonitorPaths&, const MonitorPaths&) = default;
};

}  // namespace quillmark
