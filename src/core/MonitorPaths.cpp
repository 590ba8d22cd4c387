#include "core/MonitorPaths.h"

namespace quillmark {

MonitorPaths MonitorPaths::forDevice(std::string_view deviceID, std::string_view crOutputID) {
    const std::string deviceBase = "/devices/" + std::string(deviceID);
    const std::string outputBase = deviceBase + "/outputs/" + std::string(crOutputID);
    return MonitorPaths{
        .levelDB = PropertyPath(outputBase + "/CRMonitorLevel"),
        .levelTapered = PropertyPath(outputBase + "/CRMonitorLevelTapered"),
        .mute = PropertyPath(outputBase + "/Mute"),
        .dim = PropertyPath(outputBase + "/DimOn"),
        .mono = PropertyPath(outputBase + "/MixToMono"),
        .surroundStereoFoldDown = PropertyPath(outputBase + "/SurroundStereoFoldDown"),
        .altMonSelection = PropertyPath(deviceBase + "/AltMonSelection"),
        .surroundMode = PropertyPath(deviceBase + "/SurroundMonitorMode"),
        .deviceOnline = PropertyPath(deviceBase + "/DeviceOnline"),
        .crOutputBase = outputBase,
    };
}

const MonitorPaths& MonitorPaths::apolloX8() {
    static const MonitorPaths paths = forDevice("0", "22");
    return paths;
}

const PropertyPath& MonitorPaths::talkbackOn() {
    static const PropertyPath path("/TalkbackOn");
    return path;
}

std::vector<std::string> MonitorPaths::allSubscriptions() const {
    return {levelDB.subscribePath(),
            levelTapered.subscribePath(),
            mute.subscribePath(),
            dim.subscribePath(),
            mono.subscribePath(),
            surroundStereoFoldDown.subscribePath(),
            altMonSelection.subscribePath(),
            surroundMode.subscribePath(),
            deviceOnline.subscribePath(),
            talkbackOn().subscribePath()};
}

}  // namespace quillmark
