#include "PropertyTree.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

namespace quillmark::sim {

using nlohmann::json;

namespace {

constexpr double kLevelFloorDB = -96.0;
constexpr double kLevelCeilingDB = 0.0;
const std::string kLevel = "CRMonitorLevel";
const std::string kTaperedLevel = "CRMonitorLevelTapered";

std::optional<std::vector<std::string>> splitPath(const std::string& path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::vector<std::string> segments;
    std::stringstream stream(path);
    std::string segment;
    while (std::getline(stream, segment, '/'))
        if (!segment.empty()) segments.push_back(segment);
    return segments;
}

std::string joinPath(const std::vector<std::string>& segments) {
    std::string path;
    for (const auto& segment : segments) path += "/" + segment;
    return path.empty() ? "/" : path;
}

// The path of a property of the node at `nodePath`; the root's own properties sit right under "/".
std::string childPath(const std::string& nodePath, const std::string& name) {
    return nodePath == "/" ? "/" + name : nodePath + "/" + name;
}

std::optional<double> parseNumber(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(number)) return std::nullopt;
    return number;
}

std::optional<bool> parseBool(const std::string& text) {
    if (text == "true") return true;
    if (text == "false") return false;
    return std::nullopt;
}

// The value `text` stands for, given the kind of value the property holds now.
std::optional<json> parseFor(const json& current, const std::string& text) {
    const auto flag = parseBool(text);
    const auto number = parseNumber(text);
    if (current.is_boolean()) {
        if (flag) return *flag;
        if (number) return *number != 0.0;
        return std::nullopt;
    }
    if (current.is_number()) {
        if (number) return *number;
        if (flag) return *flag ? 1.0 : 0.0;
        return std::nullopt;
    }
    if (current.is_string()) return text;
    if (flag) return *flag;
    if (number) return *number;
    return text;
}

json property(json value) { return json{{"value", std::move(value)}}; }

json outputNode(json properties) { return json{{"children", json::object()}, {"properties", std::move(properties)}}; }

}  // namespace

PropertyTree PropertyTree::makeDefault() {
    const double level = -20.0;
    json outputs = json::object();
    for (const char* id : {"0", "2", "4", "6", "8"}) outputs[id] = outputNode({{"Mute", property(false)}});
    outputs["22"] = outputNode({
        {kLevel, property(level)},
        {kTaperedLevel, property((level - kLevelFloorDB) / (kLevelCeilingDB - kLevelFloorDB))},
        {"Mute", property(false)},
        {"DimOn", property(false)},
        {"MixToMono", property(false)},
        {"SurroundStereoFoldDown", property(false)},
    });
    json device = {
        {"children", {{"outputs", {{"children", outputs}, {"properties", json::object()}}}}},
        {"properties",
         {{"Type", property("device")},
          {"DeviceOnline", property(true)},
          {"AltMonSelection", property(0)},
          {"SurroundMonitorMode", property("STEREO")}}},
    };
    json root = {
        {"children", {{"devices", {{"children", {{"0", device}}}, {"properties", json::object()}}}}},
        {"properties", {{"TalkbackOn", property(false)}, {"Sleep", property(false)}}},
    };
    return PropertyTree(std::move(root));
}

std::optional<PropertyTree> PropertyTree::load(const std::string& file, std::string& error) {
    std::ifstream stream(file);
    if (!stream) {
        error = "cannot open " + file;
        return std::nullopt;
    }
    json root = json::parse(stream, nullptr, false);
    if (!root.is_object()) {
        error = file + " does not hold a JSON object";
        return std::nullopt;
    }
    return PropertyTree(std::move(root));
}

PropertyTree::PropertyTree(json root) : root_(std::move(root)) {}

const json* PropertyTree::node(const std::vector<std::string>& segments) const {
    const json* current = &root_;
    for (const auto& segment : segments) {
        if (!current->is_object()) return nullptr;
        const auto children = current->find("children");
        if (children == current->end() || !children->is_object() || !children->contains(segment)) return nullptr;
        current = &(*children)[segment];
    }
    return current->is_object() ? current : nullptr;
}

json* PropertyTree::mutableNode(const std::vector<std::string>& segments) {
    return const_cast<json*>(std::as_const(*this).node(segments));
}

std::optional<PropertyTree::Location> PropertyTree::locate(const std::string& path) const {
    const auto segments = splitPath(path);
    if (!segments) return std::nullopt;
    Location location;
    const json* current = &root_;
    for (std::size_t i = 0; i < segments->size(); ++i) {
        const std::string& segment = (*segments)[i];
        const auto children = current->find("children");
        if (children != current->end() && children->is_object() && children->contains(segment) &&
            (*children)[segment].is_object()) {
            current = &(*children)[segment];
            location.nodeSegments.push_back(segment);
            continue;
        }
        const auto properties = current->find("properties");
        if (properties == current->end() || !properties->is_object() || !properties->contains(segment))
            return std::nullopt;
        location.property = segment;
        const std::size_t rest = segments->size() - i - 1;
        if (rest == 0) return location;
        if (rest == 1 && (*segments)[i + 1] == "value") {
            location.valueNode = true;
            return location;
        }
        return std::nullopt;
    }
    return location;
}

bool PropertyTree::hasNode(const std::string& path) const {
    const auto location = locate(path);
    return location && !location->property;
}

std::optional<json> PropertyTree::get(const std::string& path) const {
    const auto location = locate(path);
    if (!location) return std::nullopt;
    const json& owner = *node(location->nodeSegments);
    if (!location->property) {
        json data = owner;
        if (auto children = data.find("children"); children != data.end() && children->is_object())
            for (auto& child : children->items()) child.value() = json::object();
        return data;
    }
    const json& prop = owner.at("properties").at(*location->property);
    if (!location->valueNode) return prop;
    if (prop.is_object() && prop.contains("value")) return prop.at("value");
    return std::nullopt;
}

std::optional<std::string> PropertyTree::propertyPath(const std::string& path) const {
    const auto location = locate(path);
    if (!location || !location->property) return std::nullopt;
    auto segments = location->nodeSegments;
    segments.push_back(*location->property);
    return joinPath(segments);
}

json PropertyTree::valueOf(const std::string& path) const {
    const auto location = locate(path);
    if (!location || !location->property) return nullptr;
    const json& prop = node(location->nodeSegments)->at("properties").at(*location->property);
    if (prop.is_object() && prop.contains("value")) return prop.at("value");
    return nullptr;
}

std::optional<std::vector<PropertyTree::Change>> PropertyTree::set(const std::string& path, const std::string& text) {
    const auto location = locate(path);
    if (!location || !location->property) return std::nullopt;
    json& properties = mutableNode(location->nodeSegments)->at("properties");
    json& prop = properties.at(*location->property);
    if (!prop.is_object()) return std::nullopt;
    const json current = prop.contains("value") ? prop.at("value") : json();
    const auto parsed = parseFor(current, text);
    if (!parsed) return std::nullopt;
    const std::string& name = *location->property;
    const std::string nodePath = joinPath(location->nodeSegments);
    if (name == kLevel || name == kTaperedLevel) {
        if (!parsed->is_number()) return std::nullopt;
        return applyLevel(properties, nodePath, name, parsed->get<double>());
    }
    prop["value"] = *parsed;
    return std::vector<Change>{{childPath(nodePath, name), *parsed}};
}

std::vector<PropertyTree::Change> PropertyTree::applyLevel(json& properties, const std::string& nodePath,
                                                           const std::string& name, double value) {
    const double span = kLevelCeilingDB - kLevelFloorDB;
    double levelDB = 0.0;
    double tapered = 0.0;
    if (name == kLevel) {
        levelDB = std::clamp(value, kLevelFloorDB, kLevelCeilingDB);
        tapered = (levelDB - kLevelFloorDB) / span;
    } else {
        tapered = std::clamp(value, 0.0, 1.0);
        levelDB = kLevelFloorDB + tapered * span;
    }
    const std::string partner = name == kLevel ? kTaperedLevel : kLevel;
    std::vector<Change> changes{{childPath(nodePath, name), name == kLevel ? levelDB : tapered}};
    properties[name]["value"] = changes.front().value;
    if (properties.contains(partner) && properties[partner].is_object()) {
        const double partnerValue = partner == kLevel ? levelDB : tapered;
        properties[partner]["value"] = partnerValue;
        changes.push_back({childPath(nodePath, partner), partnerValue});
    }
    return changes;
}

std::vector<PropertyTree::Change> PropertyTree::setOnEveryDevice(const std::string& name, const json& value) {
    std::vector<Change> changes;
    json* devices = mutableNode({"devices"});
    if (!devices || !devices->contains("children") || !(*devices)["children"].is_object()) return changes;
    for (auto& [id, device] : (*devices)["children"].items()) {
        if (!device.is_object() || !device.contains("properties") || !device["properties"].is_object()) continue;
        json& properties = device["properties"];
        if (!properties.contains(name) || !properties[name].is_object()) continue;
        properties[name]["value"] = value;
        changes.push_back({"/devices/" + id + "/" + name, value});
    }
    return changes;
}

std::string PropertyTree::surroundModeOf(const std::string& nodePath) const {
    const auto segments = splitPath(nodePath);
    if (!segments || segments->size() < 2 || (*segments)[0] != "devices") return {};
    const json mode = valueOf("/devices/" + (*segments)[1] + "/SurroundMonitorMode");
    return mode.is_string() ? mode.get<std::string>() : std::string();
}

}  // namespace quillmark::sim
