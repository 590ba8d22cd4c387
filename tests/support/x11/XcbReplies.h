#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace quillmark::testing {

// A reply, event or error that xcb allocated for the caller, freed with its owner.
template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

// The atom of `name`, made if the server has none yet; XCB_ATOM_NONE when the server does not answer.
inline xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The name of `atom`; empty when the server knows none.
inline std::string atomName(xcb_connection_t* connection, xcb_atom_t atom) {
    ReplyPointer<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atom), nullptr), &std::free);
    return reply ? std::string(xcb_get_atom_name_name(reply.get()),
                               static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())))
                 : std::string();
}

}  // namespace quillmark::testing
