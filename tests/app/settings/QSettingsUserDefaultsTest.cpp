#include "app/settings/QSettingsUserDefaults.h"

#include "app/settings/PreferencesStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace quillmark {
namespace {

using Store = PreferencesStore;

class QSettingsUserDefaultsTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("Quillmark.ini"); }
    std::unique_ptr<QSettingsUserDefaults> open() const { return std::make_unique<QSettingsUserDefaults>(path()); }
    void writeFile(const QByteArray& bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(QSettingsUserDefaultsTest, ValuesSurviveAReopenAndConvertAsDocumented) {
    {
        auto defaults = open();
        defaults->setNumber("Quillmark.n", -2.25);
        defaults->setBool("Quillmark.b", true);
        defaults->setString("Quillmark.s", "dark");
        defaults->setString("Quillmark.at", "@odd, with comma");
        defaults->setData("Quillmark.d", std::string("{\"a\":1}\0\xff", 10));
    }  // no explicit save: every write is synced
    for (int pass = 0; pass < 2; ++pass) {
        auto defaults = open();
        EXPECT_TRUE(defaults->contains("Quillmark.n"));
        EXPECT_FALSE(defaults->contains("Quillmark.missing"));
        EXPECT_EQ(defaults->number("Quillmark.n"), -2.25);
        EXPECT_TRUE(defaults->boolean("Quillmark.b"));
        EXPECT_EQ(defaults->number("Quillmark.b"), 1);
        EXPECT_EQ(defaults->string("Quillmark.s"), "dark");
        EXPECT_EQ(defaults->string("Quillmark.at"), "@odd, with comma");
        EXPECT_EQ(defaults->number("Quillmark.s"), 0);
        EXPECT_FALSE(defaults->boolean("Quillmark.s"));
        EXPECT_EQ(defaults->data("Quillmark.d"), std::string("{\"a\":1}\0\xff", 10));
        EXPECT_FALSE(defaults->data("Quillmark.s"));
        EXPECT_FALSE(defaults->string("Quillmark.d"));
        EXPECT_FALSE(defaults->string("Quillmark.missing"));
        defaults->remove("Quillmark.n");
        EXPECT_FALSE(defaults->contains("Quillmark.n"));
        defaults->setNumber("Quillmark.n", -2.25);
    }
}

TEST_F(QSettingsUserDefaultsTest, TheStoreRoundTripsThroughTheFile) {
    {
        auto defaults = open();
        Store store(*defaults);
        store.setBinding(HotkeyBinding{0x12, 0x300, "1"}, HotkeyAction::mute);
        store.referenceLevels.set({{"A", -20.5}, {"B", std::nullopt}, {"C = x; [y]", 0.0}});
        store.hudSize.set(HUDSize::small);
        store.splReferenceAt0dBFS.set(83);
    }
    auto defaults = open();
    Store store(*defaults);
    EXPECT_EQ(store.bindings().at(HotkeyAction::mute), (HotkeyBinding{0x12, 0x300, "1"}));
    EXPECT_EQ(store.referenceLevels()[0], (ReferenceLevel{"A", -20.5}));
    EXPECT_EQ(store.referenceLevels()[2], (ReferenceLevel{"C = x; [y]", 0.0}));
    EXPECT_EQ(store.hudSize(), HUDSize::small);
    EXPECT_EQ(store.splReferenceAt0dBFS(), 83);
    EXPECT_FALSE(store.splReadoutEnabled());  // stored false at the first launch; the stored value wins
}

TEST_F(QSettingsUserDefaultsTest, DamagedFilesLoadWithFallbacksAndKeepForeignKeys) {
    const QByteArray valid = "[General]\n"
                             "Quillmark.didFirstRunSetup.v1=true\n"
                             "Quillmark.meterWindowFrame.v1=\"10 20 300 200\"\n"
                             "Quillmark.hudSize=large\n"
                             "Quillmark.volumeStepFineDB=abc\n"
                             "Quillmark.hudAppearance=1.5\n"
                             "Quillmark.showMetersOnLaunch=@ByteArray(true)\n"
                             "Quillmark.hotkeyBindings.v1=@ByteArray({\\\"mute\\\":{\\\"keyCode\\\":96)\n"
                             "Quillmark.referenceLevels.v1=[1, 2, 3]\n"
                             "[Other]\nkey=kept\n";
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919 + 13) % 256);
    const Case cases[] = {
        {"wrong types", valid},
        {"truncated", valid.left(valid.indexOf("Quillmark.volumeStepFineDB") + 20)},
        {"binary garbage", garbage},
        {"garbage after valid lines", valid + garbage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(c.bytes);
        {
            auto defaults = open();
            Store store(*defaults);
            EXPECT_EQ(store.bindings(), HotkeyBinding::firstRunDefaults());
            EXPECT_EQ(store.hudAppearance(), HUDAppearance::system);
            EXPECT_EQ(store.referenceLevels(), Store::initialReferenceLevels());
            EXPECT_EQ(store.hudDurationSeconds(), 2.0);
            if (c.bytes.startsWith("[General]")) {
                EXPECT_EQ(store.hudSize(), HUDSize::large);
            }
            if (c.bytes.contains("volumeStepFineDB=abc")) {
                EXPECT_EQ(store.volumeStepFineDB(), 0.0);  // text that is no number reads as 0
                EXPECT_FALSE(store.showMetersOnLaunch());  // bytes read as a Boolean: false
            }
        }
        // The foreign keys that parsed are still there after the store rewrote its own.
        if (c.bytes.startsWith("[General]")) {
            QSettings after(path(), QSettings::IniFormat);
            EXPECT_EQ(after.value("Quillmark.didFirstRunSetup.v1").toString(), "true");
            if (c.bytes.contains("[Other]")) {
                EXPECT_EQ(after.value("Other/key").toString(), "kept");
                EXPECT_EQ(after.value("Quillmark.meterWindowFrame.v1").toString(), "10 20 300 200");
            }
        }
        // And the file now loads cleanly with what the store wrote.
        auto reopened = open();
        EXPECT_TRUE(reopened->data(Store::bindingsKey));
        EXPECT_TRUE(reopened->contains(Store::crashReportingKey));
        Store again(*reopened);
        EXPECT_EQ(again.bindings(), HotkeyBinding::firstRunDefaults());
        EXPECT_FALSE(again.crashReporting());
    }
}

// An INI file may hold typed values (@Variant): a NaN or infinite double must not become a volume step
// or a HUD time.
TEST_F(QSettingsUserDefaultsTest, TypedNumbersThatAreNotFiniteReadAsZero) {
    struct Case {
        const char* what;
        QByteArray value;  // a serialized double
    };
    const Case cases[] = {
        {"NaN", R"(@Variant(\0\0\0\x6\x7f\xf8\0\0\0\0\0\0))"},
        {"infinity", R"(@Variant(\0\0\0\x6\x7f\xf0\0\0\0\0\0\0))"},
        {"minus infinity", R"(@Variant(\0\0\0\x6\xff\xf0\0\0\0\0\0\0))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("[General]\nQuillmark.volumeStepFineDB=" + c.value + "\nQuillmark.hudPersistenceSeconds=" + c.value +
                  "\n");
        auto defaults = open();
        EXPECT_EQ(defaults->number(Store::volumeStepFineKey), 0.0);
        Store store(*defaults);
        EXPECT_EQ(store.volumeStepFineDB(), 0.0);
        EXPECT_EQ(store.hudDurationSeconds(), 2.0);
    }
}

}  // namespace
}  // namespace quillmark
