#include "app/look/ResourceBundle.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmark {
namespace {

class ResourceBundleTest : public ::testing::Test {
protected:
    // A directory under the temporary one, optionally holding a resource bundle with one file.
    QString place(const QString& name, bool withBundle) {
        const QString path = root.filePath(name);
        QDir().mkpath(path);
        if (withBundle) {
            const QString bundle = path + "/Quillmark_Quillmark.bundle";
            QDir().mkpath(bundle);
            QFile file(bundle + "/" + name + ".txt");
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
        return path;
    }
    static QString bundleIn(const QString& place) { return place + "/Quillmark_Quillmark.bundle"; }

    QTemporaryDir root;
    const ResourceBundle fallback{QStringLiteral("/nonexistent/main")};
};

TEST_F(ResourceBundleTest, TheFirstPlaceHoldingTheBundleWinsInTheFixedOrder) {
    const QString a = place("mainResources", true), b = place("mainLocation", true);
    const QString c = place("codeResources", true), d = place("codeLocation", true);
    const QString bare = place("bare", false);
    struct Case {
        ResourceBundle::Places places;
        QString expected;
    };
    const Case cases[] = {
        {{a, b, c, d}, bundleIn(a)},
        {{bare, b, c, d}, bundleIn(b)},
        {{"", "", c, d}, bundleIn(c)},  // next to the code rather than in the main bundle
        {{bare, bare, bare, d}, bundleIn(d)},
        {{root.filePath("missing"), "", "", d}, bundleIn(d)},
        {{bare, bare, bare, bare}, "/nonexistent/main"},  // nowhere: the main bundle
        {{"", "", "", ""}, "/nonexistent/main"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResourceBundle::find(c.places, fallback).directory(), c.expected) << c.expected.toStdString();
}

TEST_F(ResourceBundleTest, FileLookupAndInfoValues) {
    const ResourceBundle bundle(bundleIn(place("x", true)));
    EXPECT_EQ(bundle.url("x", "txt"), bundleIn(root.filePath("x")) + "/x.txt");
    EXPECT_FALSE(bundle.url("x", "png"));
    EXPECT_FALSE(bundle.url("Quillmark_Quillmark", "bundle"));  // a directory is no file
    EXPECT_FALSE(fallback.url("IBMPlexSans-Regular", "ttf"));

    const QString main = place("main", false);
    const auto writeInfo = [&](const QByteArray& text) {
        QFile info(main + "/Info.json");
        ASSERT_TRUE(info.open(QIODevice::WriteOnly | QIODevice::Truncate));
        info.write(text);
    };
    writeInfo(R"({"SUFeedURL":"https://example.invalid/appcast.xml","CFBundleVersion":7,"QuillmarkSentryDSN":""})");
    const ResourceBundle mainBundle(main);
    EXPECT_EQ(mainBundle.infoString("SUFeedURL"), "https://example.invalid/appcast.xml");
    EXPECT_EQ(mainBundle.infoString("QuillmarkSentryDSN"), "");
    EXPECT_FALSE(mainBundle.infoString("CFBundleVersion"));  // not text
    EXPECT_FALSE(mainBundle.infoString("SUPublicEDKey"));
    writeInfo("{\"SUFeedURL\": \"trunc");
    EXPECT_FALSE(mainBundle.infoString("SUFeedURL"));
}

TEST(ResourceBundleOfTheBuild, IsFoundFromATestExecutable) {
    const QString binaryDir = qEnvironmentVariable("QUILLMARK_BINARY_DIR");
    ASSERT_FALSE(binaryDir.isEmpty());
    const QString share = QDir::cleanPath(binaryDir + "/share/quillmark");
    EXPECT_EQ(ResourceBundle::main().directory(), share);
    EXPECT_EQ(ResourceBundle::quillmarkResources().directory(), share + "/Quillmark_Quillmark.bundle");
    EXPECT_EQ(&ResourceBundle::quillmarkResources(), &ResourceBundle::quillmarkResources());  // looked up once
    for (const char* name : {"JetBrainsMono-Regular", "JetBrainsMono-Medium", "IBMPlexSans-Regular"})
        EXPECT_TRUE(ResourceBundle::quillmarkResources().url(name, "ttf")) << name;
    EXPECT_FALSE(ResourceBundle::quillmarkResources().url("IsolationGrotesque-Regular", "otf"));
    EXPECT_TRUE(ResourceBundle::quillmarkResources().url("Quillmark_Lockup_Dark", "png"));
    EXPECT_TRUE(ResourceBundle::main().infoString("CFBundleShortVersionString"));
    EXPECT_EQ(ResourceBundle::main().infoString("SUFeedURL"), "");
}

}  // namespace
}  // namespace quillmark
