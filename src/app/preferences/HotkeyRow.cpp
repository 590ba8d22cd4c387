#include "app/preferences/HotkeyRow.h"

#include "app/preferences/HotkeyRecorderField.h"
#include "app/settings/PreferencesStore.h"

namespace quillmark {

namespace {

QString text(std::string_view view) { return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size())); }

std::optional<QString> consoleDefaultHint(HotkeyAction action) {
    if (auto console = consoleDefaultHotkey(action)) return QStringLiteral("Console default: ") + text(*console);
    return std::nullopt;
}

}  // namespace

HotkeyRow::HotkeyRow(HotkeyAction action, PreferencesStore& store, QWidget* parent)
    : Row(text(displayName(action)), consoleDefaultHint(action), new HotkeyRecorderField(action, store), parent),
      action_(action), store_(store), recorder_(static_cast<HotkeyRecorderField*>(trailing())) {
    setObjectName(QStringLiteral("hotkeyRow-") + text(rawValue(action)));
}

void HotkeyRow::render() {
    const auto index = referenceLevelIndex(action_);
    if (!index) return;  // the other rows keep the name they were built with
    const auto& references = store_.referenceLevels.value();
    if (*index < static_cast<int>(references.size()))
        setLabel(QStringLiteral("Recall: ") +
                 QString::fromStdString(references[static_cast<std::size_t>(*index)].label));
    else setLabel(text(displayName(action_)));
}

}  // namespace quillmark
