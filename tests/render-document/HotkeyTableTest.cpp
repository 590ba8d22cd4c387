// The guide's hotkey table, read back through the same Markdown reader that lays the guide out.
#include "HotkeyTable.h"
#include "TestApplication.h"

#include "app/hotkeys/HotkeyAction.h"
#include "platform/keys/CarbonKeyTable.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

struct Cells {
    int rows = 0;
    int columns = 0;
    std::vector<std::pair<QString, QString>> pairs;
};

Cells readTable(const QString& markdown) {
    testApplication<QGuiApplication>();
    QTextDocument document;
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    Cells cells;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        cells.rows = table->rows();
        cells.columns = table->columns();
        for (int row = 0; row < table->rows(); ++row) {
            auto text = [&](int column) {
                const QTextTableCell cell = table->cellAt(row, column);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                return cursor.selectedText();
            };
            cells.pairs.emplace_back(text(0), table->columns() > 1 ? text(1) : QString());
        }
    }
    return cells;
}

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

TEST(HotkeyTableTest, EveryCommandInRegistrationOrderWithItsBindingOrNone) {
    for (const auto desktop : {HotkeyBinding::DefaultsDesktop::x11, HotkeyBinding::DefaultsDesktop::unreserved}) {
        const HotkeyBindings& bindings = HotkeyBinding::firstRunDefaults(desktop);
        const Cells cells = readTable(HotkeyTable::markdown(bindings));
        ASSERT_EQ(cells.columns, 2);
        ASSERT_EQ(cells.rows, 1 + int(allHotkeyActions.size()));
        for (std::size_t i = 0; i < allHotkeyActions.size(); ++i) {
            const HotkeyAction action = allHotkeyActions[i];
            const auto binding = bindings.find(action);
            const QString expected =
                binding == bindings.end() ? QStringLiteral("none") : qt(binding->second.displayString());
            EXPECT_EQ(cells.pairs[i + 1].first, qt(displayName(action)));
            EXPECT_EQ(cells.pairs[i + 1].second, expected) << rawValue(action);
        }
    }
}

TEST(HotkeyTableTest, KeyLabelsThatAreMarkdownSyntaxStayTheirOwnText) {
    // Labels are free text: a pipe must not split the row, stars and underscores must not emphasise.
    const HotkeyBindings bindings{
        {HotkeyAction::mute, {42, CarbonKeyTable::optionKey, "|"}},
        {HotkeyAction::dim, {28, 0, "*8*"}},
        {HotkeyAction::mono, {27, CarbonKeyTable::shiftKey, "_-_"}},
        {HotkeyAction::talkback, {50, 0, "`"}},
    };
    const Cells cells = readTable(HotkeyTable::markdown(bindings));
    ASSERT_EQ(cells.columns, 2);
    ASSERT_EQ(cells.rows, 1 + int(allHotkeyActions.size()));
    for (const auto& [action, binding] : bindings) {
        const auto row = std::find_if(cells.pairs.begin(), cells.pairs.end(),
                                      [&](const auto& pair) { return pair.first == qt(displayName(action)); });
        ASSERT_NE(row, cells.pairs.end()) << rawValue(action);
        EXPECT_EQ(row->second, qt(binding.displayString())) << rawValue(action);
    }
}

}  // namespace
}  // namespace quillmark::testing
