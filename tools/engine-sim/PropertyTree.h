#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace quillmark::sim {

// The engine's property tree. Every node is a JSON object that may hold "children" (an object from
// child identifier to child node) and "properties" (an object from property name to an object
// holding "value"). Paths are slash-separated from the root node, e.g. /devices/0/outputs/22/Mute.
//
// Levels: CRMonitorLevel is clamped to -96 ... 0 dB and CRMonitorLevelTapered to 0 ... 1; when a node
// has both, setting one sets the other by the straight-line mapping tapered = (dB + 96) / 96.
class PropertyTree {
public:
    // One property's new value, to be reported to its subscribers.
    struct Change {
        std::string propertyPath;
        nlohmann::json value;
    };

    // Device "0" with a few outputs, the control-room output "22", and the root /TalkbackOn and /Sleep.
    static PropertyTree makeDefault();
    // Reads a tree document (the root node) from a file; on failure returns nothing and sets `error`.
    static std::optional<PropertyTree> load(const std::string& file, std::string& error);

    explicit PropertyTree(nlohmann::json root);

    // The data a get of `path` answers: a node's data (its children's contents left out), a
    // property's object, or a property's value at property path + "/value". Nothing for unknown paths.
    std::optional<nlohmann::json> get(const std::string& path) const;
    // The property path addressed by `path`: the property itself or its value node ("/value",
    // with or without a trailing "/"). Nothing when `path` names no property.
    std::optional<std::string> propertyPath(const std::string& path) const;
    bool hasNode(const std::string& path) const;
    // The current value of a property (null when it has none).
    nlohmann::json valueOf(const std::string& propertyPath) const;

    // Parses `text` for the property ("true"/"false", numbers; texts for text properties), applies it
    // and returns the properties that changed, the property itself first. Nothing when the text
    // does not fit the property.
    std::optional<std::vector<Change>> set(const std::string& propertyPath, const std::string& text);
    // Sets `name` on every device under /devices that has that property.
    std::vector<Change> setOnEveryDevice(const std::string& name, const nlohmann::json& value);

    // The surround monitor mode of the device that `nodePath` (/devices/D/...) belongs to, or the
    // empty text when it has none.
    std::string surroundModeOf(const std::string& nodePath) const;

private:
    struct Location {
        std::vector<std::string> nodeSegments;
        std::optional<std::string> property;
        bool valueNode = false;
    };

    std::optional<Location> locate(const std::string& path) const;
    const nlohmann::json* node(const std::vector<std::string>& segments) const;
    nlohmann::json* mutableNode(const std::vector<std::string>& segments);
    std::vector<Change> applyLevel(nlohmann::json& properties, const std::string& nodePath, const std::string& name,
                                   double value);

    nlohmann::json root_;
};

}  // namespace quillmark::sim
