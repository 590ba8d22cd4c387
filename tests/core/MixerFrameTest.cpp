#include "core/MixerFrame.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

using Object = JSONValue::Object;
using Array = JSONValue::Array;

JSONValue withChildren(std::vector<std::string> keys) {
    Object children;
    for (auto& key : keys) children.emplace(std::move(key), Object{});
    return Object{{"children", std::move(children)}};
}

TEST(MixerFrameTest, IsValue) {
    EXPECT_TRUE((MixerFrame{"/devices/0/outputs/22/Mute/value", true}).isValue());
    EXPECT_FALSE((MixerFrame{"/devices/0/outputs/22/Mute/value/", true}).isValue());
    EXPECT_FALSE((MixerFrame{"/devices/0/outputs/22/Mute", true}).isValue());
    EXPECT_FALSE((MixerFrame{"value", true}).isValue());
    EXPECT_TRUE((MixerFrame{"/value", true}).isValue());
}

TEST(MixerFrameTest, ContainerAndChildren) {
    struct Case {
        const char* name;
        JSONValue data;
        bool isContainer;
        std::vector<std::string> children;
    };
    const std::vector<Case> cases = {
        {"numbers before text", withChildren({"10", "9", "x", "1"}), true, {"1", "9", "10", "x"}},
        {"signed integers", withChildren({"-3", "+2", "0", "-10"}), true, {"-10", "-3", "0", "+2"}},
        {"text by code point", withChildren({"b", "B", "a", "é"}), true, {"B", "a", "b", "é"}},
        {"beyond 64 bits is text", withChildren({"99999999999999999999", "2"}), true, {"2", "99999999999999999999"}},
        {"mixed digits are text", withChildren({"1a", "2", "10"}), true, {"2", "10", "1a"}},
        {"a plus before a minus is text", withChildren({"+-5", "-4", "a"}), true, {"-4", "+-5", "a"}},
        {"children is an array", Object{{"children", Array{"a"}}}, true, {}},
        {"children is a string", Object{{"children", "a"}}, true, {}},
        {"children is null", Object{{"children", nullptr}}, true, {}},
        {"no children", Object{{"properties", Object{}}}, false, {}},
        {"not an object", Array{"children"}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MixerFrame frame{"/devices", c.data};
        EXPECT_EQ(frame.isContainer(), c.isContainer);
        EXPECT_EQ(frame.children(), c.children);
    }
}

TEST(MixerFrameTest, IsDeviceNode) {
    const auto typed = [](JSONValue type) { return Object{{"properties", Object{{"Type", std::move(type)}}}}; };
    struct Case {
        const char* name;
        JSONValue data;
        bool isDevice;
    };
    const std::vector<Case> cases = {
        {"device", typed(Object{{"value", "device"}}), true},
        {"other type", typed(Object{{"value", "output"}}), false},
        {"case matters", typed(Object{{"value", "Device"}}), false},
        {"value not a string", typed(Object{{"value", true}}), false},
        {"no value", typed(Object{}), false},
        {"type not an object", typed("device"), false},
        {"properties not an object", Object{{"properties", "device"}}, false},
        {"no properties", Object{}, false},
        {"not an object", "device", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ((MixerFrame{"/devices/0", c.data}).isDeviceNode(), c.isDevice);
    }
}

TEST(MixerFrameTest, Properties) {
    const Object properties{{"CRMonitorLevel", Object{{"value", -12.0}}}};
    const MixerFrame node{"/o", Object{{"properties", properties}}};
    EXPECT_EQ(node.properties(), properties);
    for (const JSONValue& data : {JSONValue(Object{{"properties", Array{1}}}), JSONValue(Object{{"properties", "x"}}),
                                  JSONValue(1.0), JSONValue()}) {
        const MixerFrame frame{"/o", data};
        EXPECT_TRUE(frame.properties().empty()) << data.prettyDescription();
    }
}

}  // namespace
}  // namespace quillmark::testing
