#pragma once

#include <string>
#include <vector>

namespace quillmark::testing {

// The default catalogue's wire texts, written out by hand so the tests do not trust the code they test.
struct E2EPaths {
    static constexpr const char* output = "/devices/0/outputs/22";
    static inline const std::string level = std::string(output) + "/CRMonitorLevel";
    static inline const std::string mute = std::string(output) + "/Mute";
    static inline const std::string dim = std::string(output) + "/DimOn";

    static std::vector<std::string> monitorSubscriptions() {
        const std::string o = output;
        return {"subscribe " + o + "/CRMonitorLevel",
                "subscribe " + o + "/CRMonitorLevelTapered",
                "subscribe " + o + "/Mute",
                "subscribe " + o + "/DimOn",
                "subscribe " + o + "/MixToMono",
                "subscribe " + o + "/SurroundStereoFoldDown",
                "subscribe /devices/0/AltMonSelection",
                "subscribe /devices/0/SurroundMonitorMode",
                "subscribe /devices/0/DeviceOnline",
                "subscribe /TalkbackOn"};
    }

    static std::string meterSubscription(int meter) {
        return "subscribe " + std::string(output) + "/meters/" + std::to_string(meter) + "/MeterLevel";
    }

    // The requests that start with `prefix`, in order.
    static std::vector<std::string> startingWith(const std::vector<std::string>& requests, const std::string& prefix) {
        std::vector<std::string> picked;
        for (const auto& request : requests) {
            if (request.rfind(prefix, 0) == 0) picked.push_back(request);
        }
        return picked;
    }
};

}  // namespace quillmark::testing
