#include "app/preferences/SettingCheckbox.h"

#include "app/Published.h"

namespace quillmark {

SettingCheckbox::SettingCheckbox(Published<bool>& setting, const char* name, QWidget* parent)
    : VellCheckbox(setting.value(), parent), setting_(setting) {
    setObjectName(QString::fromLatin1(name));
    onWrite = [this](bool on) {
        setting_.set(on);
        render();
    };
}

void SettingCheckbox::render() { setOn(setting_.value()); }

}  // namespace quillmark
