#include "HotkeyTable.h"

#include "app/hotkeys/HotkeyAction.h"

namespace quillmark {

namespace {

// Key labels are free text ("|", "*", "_" are all keys): every ASCII punctuation character is escaped.
QString escaped(const QString& text) {
    QString result;
    for (const QChar character : text) {
        const bool asciiPunctuation = character.unicode() < 0x80 && (character.isPunct() || character.isSymbol());
        if (asciiPunctuation) result += QLatin1Char('\\');
        result += character;
    }
    return result;
}

QString cell(std::string_view text) { return escaped(QString::fromUtf8(text.data(), qsizetype(text.size()))); }

}  // namespace

QString HotkeyTable::markdown(const HotkeyBindings& bindings) {
    QString table = QStringLiteral("| Command | Hotkey |\n| --- | --- |\n");
    for (HotkeyAction action : allHotkeyActions) {
        const auto binding = bindings.find(action);
        const QString hotkey =
            binding == bindings.end() ? QStringLiteral("none") : cell(binding->second.displayString());
        table +=
            QStringLiteral("| ") + cell(displayName(action)) + QStringLiteral(" | ") + hotkey + QStringLiteral(" |\n");
    }
    return table;
}

}  // namespace quillmark
