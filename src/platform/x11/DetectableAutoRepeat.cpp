#include "platform/x11/DetectableAutoRepeat.h"

#include <cstdlib>
#include <memory>

// xkb.h names a struct member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace quillmark {

namespace {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

}  // namespace

bool enableDetectableAutoRepeat(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (!extension || !extension->present) return false;
    std::unique_ptr<xcb_xkb_use_extension_reply_t, FreeDeleter> use(xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
    if (!use || !use->supported) return false;

    const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    std::unique_ptr<xcb_xkb_per_client_flags_reply_t, FreeDeleter> reply(xcb_xkb_per_client_flags_reply(
        connection, xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
    return reply && (reply->value & flag);
}

}  // namespace quillmark
