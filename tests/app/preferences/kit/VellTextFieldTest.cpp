// The numeric and the label field: frame, colours, writes on every edit, Return and focus.
#include "WidgetTestSupport.h"

#include "app/preferences/kit/VellLabelField.h"
#include "app/preferences/kit/VellNumericField.h"

#include "PollUntil.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include <chrono>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

void type(QWidget& target, Qt::Key key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &release);
}

class VellTextFieldTest : public ::testing::Test {
protected:
    QApplication& application = widgetTestApplication();
};

TEST_F(VellTextFieldTest, EveryEditIsWrittenAtOnceAndReturnSubmits) {
    VellNumericField field(QStringLiteral("2"), 64);
    std::vector<QString> writes;
    int submits = 0;
    field.onWrite = [&](const QString& text) { writes.push_back(text); };
    field.onSubmit = [&] { ++submits; };

    type(field.lineEdit(), Qt::Key_1, QStringLiteral("1"));
    type(field.lineEdit(), Qt::Key_2, QStringLiteral("2"));
    EXPECT_EQ(writes, (std::vector<QString>{"1", "12"}));
    EXPECT_EQ(submits, 0);
    type(field.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(submits, 1);
    type(field.lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(writes.back(), "1");
    // Not filtered: any text goes through.
    type(field.lineEdit(), Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(writes.back(), "1x");
    EXPECT_EQ(writes.size(), 4u);
}

TEST_F(VellTextFieldTest, ReturnWithoutSubmitActionChangesNothing) {
    VellNumericField numeric(QStringLiteral("1"), 64);
    VellLabelField label(QStringLiteral("Reference 1"), 150);
    for (VellTextField* field : {static_cast<VellTextField*>(&numeric), static_cast<VellTextField*>(&label)}) {
        int writes = 0;
        field->setText(QStringLiteral("12"));
        field->onWrite = [&](const QString&) { ++writes; };
        type(field->lineEdit(), Qt::Key_Return);
        type(field->lineEdit(), Qt::Key_Enter);
        EXPECT_EQ(field->text(), "12");
        EXPECT_EQ(writes, 0);
    }
}

TEST_F(VellTextFieldTest, LosingTheFocusSubmitsNothing) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new VellNumericField(QStringLiteral("2"), 64);
    auto* other = new VellLabelField(QStringLiteral("Reference 1"), 150);
    layout->addWidget(field);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(pollUntil([&] { return window.isActiveWindow(); }, 2s, [] { QApplication::processEvents(); }));

    int submits = 0;
    field->onSubmit = [&] { ++submits; };
    // Qt's own "editing finished" fires on the same focus loss: proof that the focus really left.
    int finished = 0;
    QObject::connect(&field->lineEdit(), &QLineEdit::editingFinished, [&] { ++finished; });
    field->setFocus();
    ASSERT_TRUE(pollUntil([&] { return field->lineEdit().hasFocus(); }, 2s, [] { QApplication::processEvents(); }));
    type(field->lineEdit(), Qt::Key_3, QStringLiteral("3"));
    other->setFocus();
    ASSERT_TRUE(pollUntil([&] { return other->lineEdit().hasFocus(); }, 2s, [] { QApplication::processEvents(); }));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(submits, 0);
}

TEST_F(VellTextFieldTest, SettingTheTextWritesNothingBackAndKeepsTheInsertionPoint) {
    VellLabelField field(QStringLiteral("Reference 1"), 150);
    int writes = 0;
    field.onWrite = [&](const QString& text) {
        ++writes;
        field.setText(text);  // the caller's store answers with the text it was given
    };
    field.setText(QStringLiteral("Mix"));
    EXPECT_EQ(writes, 0);
    field.lineEdit().setCursorPosition(1);
    type(field.lineEdit(), Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(field.text(), "Maix");
    EXPECT_EQ(field.lineEdit().cursorPosition(), 2);
    EXPECT_EQ(writes, 1);
}

struct FieldCase {
    const char* name;
    bool numeric;
    bool dark;
};

class VellTextFieldLookTest : public ::testing::TestWithParam<FieldCase> {
protected:
    QApplication& application = widgetTestApplication();
};

TEST_P(VellTextFieldLookTest, FrameIsExactlyWidthByTwentyFourWithInnerBorderPromptAndAmberText) {
    const FieldCase& c = GetParam();
    std::unique_ptr<VellTextField> field;
    if (c.numeric) field = std::make_unique<VellNumericField>(QStringLiteral("e.g. 80"), 64);
    else field = std::make_unique<VellLabelField>(QStringLiteral("Reference 1"), 150);
    field->setAppearance(c.dark ? HUDAppearance::dark : HUDAppearance::light);
    const int width = c.numeric ? 64 : 150;
    EXPECT_EQ(field->size(), QSize(width, 24));
    field->show();
    QApplication::processEvents();
    field->lineEdit().clearFocus();  // no insertion point in the pictures

    const QColor recessed = token(HUDTokens::bgRecessed, c.dark);
    const QImage prompt = render(*field, Qt::magenta);
    for (QPoint at : {QPoint(0, 0), QPoint(width - 1, 0), QPoint(0, 23), QPoint(width - 1, 23), QPoint(width / 2, 0),
                      QPoint(width / 2, 23), QPoint(0, 12), QPoint(width - 1, 12)}) {
        EXPECT_EQ(pixel(prompt, at.x(), at.y()), token(HUDTokens::border, c.dark)) << at.x() << "," << at.y();
    }
    for (QPoint at : {QPoint(1, 1), QPoint(width - 2, 22), QPoint(3, 12), QPoint(width - 4, 12)}) {
        EXPECT_EQ(pixel(prompt, at.x(), at.y()), recessed) << at.x() << "," << at.y();
    }
    const QRect inside(8, 4, width - 16, 16);
    EXPECT_LE(colourDistance(ink(prompt, inside, recessed), token(HUDTokens::fgMuted, c.dark)), 40);

    field->setText(c.numeric ? QStringLiteral("88") : QStringLiteral("Mix"));
    const QImage typed = render(*field, Qt::magenta);
    EXPECT_LE(colourDistance(ink(typed, inside, recessed), token(HUDTokens::amber, c.dark)), 40);
    // The numeric field is right-aligned, the label field left-aligned, both within the padding.
    const QRect leftHalf(1, 1, width / 2 - 1, 22);
    const QRect rightHalf(width / 2, 1, width / 2 - 1, 22);
    EXPECT_EQ(hasInk(typed, leftHalf, recessed), !c.numeric);
    EXPECT_EQ(hasInk(typed, rightHalf, recessed), c.numeric);
    EXPECT_FALSE(hasInk(typed, QRect(1, 1, 6, 22), recessed));
    EXPECT_FALSE(hasInk(typed, QRect(width - 7, 1, 6, 22), recessed));

    const QPalette palette = field->lineEdit().palette();
    EXPECT_EQ(palette.color(QPalette::Highlight), token(HUDTokens::cobalt, c.dark));
    EXPECT_EQ(palette.color(QPalette::Text), token(HUDTokens::amber, c.dark));
}

INSTANTIATE_TEST_SUITE_P(Fields, VellTextFieldLookTest,
                         ::testing::Values(FieldCase{"numeric_light", true, false},
                                           FieldCase{"numeric_dark", true, true},
                                           FieldCase{"label_light", false, false},
                                           FieldCase{"label_dark", false, true}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace quillmark::testing
