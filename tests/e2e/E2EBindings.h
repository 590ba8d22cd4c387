#pragma once

#include <QByteArray>

namespace quillmark::testing {

// Hotkey bindings the end-to-end tests store before launch (Carbon key codes, control+option):
// volume up/down fine on Ctrl+Alt+Up/Down, mute on Ctrl+Alt+M, talkback on Ctrl+Alt+T,
// recall reference 1 on Ctrl+Alt+R.
struct E2EBindings {
    static constexpr const char* key = "Quillmark.hotkeyBindings.v1";
    static constexpr const char* volumeUpFine = "ctrl+alt+Up";
    static constexpr const char* volumeDownFine = "ctrl+alt+Down";
    static constexpr const char* mute = "ctrl+alt+m";
    static constexpr const char* talkback = "ctrl+alt+t";
    static constexpr const char* recallReference1 = "ctrl+alt+r";

    static QByteArray document() {
        return QByteArray(R"({"volumeUpFine":{"keyCode":126,"carbonModifiers":6144,"characters":"↑"},)"
                          R"("volumeDownFine":{"keyCode":125,"carbonModifiers":6144,"characters":"↓"},)"
                          R"("mute":{"keyCode":46,"carbonModifiers":6144,"characters":"M"},)"
                          R"("talkback":{"keyCode":17,"carbonModifiers":6144,"characters":"T"},)"
                          R"("recallReference1":{"keyCode":15,"carbonModifiers":6144,"characters":"R"}})");
    }
};

}  // namespace quillmark::testing
