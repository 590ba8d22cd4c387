#pragma once

namespace quillmark {

// The application's one way to quit (tray "Quit Quillmark", SIGTERM, a newer copy's request) and the
// state that a quit is under way. Modal dialogs end at once when it starts and are not shown after it,
// and code that asks the user questions checks isUnderway() to ask nothing more. Main thread only.
class ApplicationQuit {
public:
    // Marks the quit of this application object as under way and ends every running event loop,
    // nested ones included. No window can refuse it, not even a dialog that ignores close requests.
    static void request();
    // Whether request() was called for the current application object.
    static bool isUnderway();

    ApplicationQuit() = delete;
};

}  // namespace quillmark
