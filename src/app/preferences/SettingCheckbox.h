#pragma once

#include "app/preferences/kit/VellCheckbox.h"

namespace quillmark {

template <typename T>
class Published;

// A checkbox bound to one switch of the settings: a click writes the setting at once and shows what it
// then holds; render() shows a value set elsewhere. Main thread only.
class SettingCheckbox : public VellCheckbox {
public:
    // `name` is the object name tests find it by.
    SettingCheckbox(Published<bool>& setting, const char* name, QWidget* parent = nullptr);

    void render();

private:
    Published<bool>& setting_;
};

}  // namespace quillmark
