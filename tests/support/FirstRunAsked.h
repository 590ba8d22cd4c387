#pragma once

#include "app/FirstRunQuestion.h"
#include "app/settings/UserDefaults.h"

namespace quillmark::testing {

// Stores the one-time flags of the three first-run questions, as after a first launch, so that a
// delegate under test asks nothing and goes straight on to connect. For programs that link the app.
inline void markFirstRunQuestionsAsked(UserDefaults& defaults) {
    for (const FirstRunQuestion* question :
         {&FirstRunQuestion::launchAtLogin(), &FirstRunQuestion::automaticUpdates(), &FirstRunQuestion::crashReports()})
        defaults.setBool(question->flagKey, true);
}

}  // namespace quillmark::testing
