// Opening the tray menu's documents, with a recording stand-in for the desktop's handler of file URLs, or
// with no handler at all.
#include "ManualMainQueue.h"
#include "ScopedEnvironment.h"
#include "TestApplication.h"
#include "WidgetTestSupport.h"

#include "app/AppDelegate.h"
#include "app/DocumentOpener.h"
#include "app/look/ResourceBundle.h"
#include "app/settings/MemoryUserDefaults.h"
#include "log/SystemLog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmark::testing {

// Takes the place of the desktop's viewer for file URLs while it exists.
class RecordingUrlHandler : public QObject {
    Q_OBJECT
public:
    RecordingUrlHandler() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~RecordingUrlHandler() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    std::vector<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

namespace {

constexpr HUDAppearance kAppearance = HUDAppearance::dark;

class DocumentOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<QApplication>();
        ASSERT_TRUE(bundleDir_.isValid());
    }

    ResourceBundle bundle() const { return ResourceBundle(bundleDir_.path()); }
    QString place(const QString& fileName) {
        const QString path = QDir(bundleDir_.path()).filePath(fileName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n");
        return path;
    }

    RecordingUrlHandler handler_;
    std::vector<std::string> logged_;
    SystemLog::Capture capture_{[this](std::string_view line) { logged_.emplace_back(line); }};

private:
    QTemporaryDir bundleDir_;
};

TEST_F(DocumentOpenerTest, ADocumentOfTheBundleGoesToTheDesktopAsAFileUrl) {
    const QString guide = place(QStringLiteral("Quillmark User Guide.pdf"));
    place(QStringLiteral("Quillmark Developers License.pdf"));

    EXPECT_TRUE(DocumentOpener::open(bundle(), QString::fromLatin1(DocumentOpener::userGuideName), kAppearance));
    ASSERT_EQ(handler_.opened.size(), 1u);
    EXPECT_EQ(handler_.opened[0], QUrl::fromLocalFile(guide));
    EXPECT_TRUE(handler_.opened[0].isLocalFile());
    EXPECT_TRUE(logged_.empty());
}

TEST_F(DocumentOpenerTest, AMissingDocumentIsIgnoredSilently) {
    place(QStringLiteral("Quillmark User Guide.txt"));  // the right name is not enough: it must be the PDF
    for (const char* name : {DocumentOpener::userGuideName, DocumentOpener::licenseAgreementName})
        EXPECT_FALSE(DocumentOpener::open(bundle(), QString::fromLatin1(name), kAppearance)) << name;
    EXPECT_FALSE(DocumentOpener::open(ResourceBundle(QString()), QString::fromLatin1(DocumentOpener::userGuideName),
                                      kAppearance));
    EXPECT_TRUE(handler_.opened.empty());
    EXPECT_TRUE(logged_.empty());
    EXPECT_FALSE(openDialog());
}

// A desktop with no application for PDF files: nothing on the PATH that Qt could hand a document to.
class NoDocumentHandler {
public:
    NoDocumentHandler() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

private:
    QTemporaryDir emptyDirectory_;
    ScopedEnvironment path_{"PATH", emptyDirectory_.path().toStdString().c_str()};
};

// What the notice said, once it was acknowledged with Return.
struct Notice {
    QString title;
    QString message;
};

TEST_F(DocumentOpenerTest, WithNoApplicationForPdfsANoticeSaysSoWithTheFilesPath) {
    const QString guide = place(QStringLiteral("Quillmark User Guide.pdf"));
    NoDocumentHandler none;
    Notice notice;
    whenDialogOpens([&](DialogWindow& dialog) {
        notice = {dialog.panel().title().shownText(), dialog.panel().message().shownText()};
        pressKey(dialog, Qt::Key_Return);
    });

    EXPECT_FALSE(DocumentOpener::open(bundle(), QString::fromLatin1(DocumentOpener::userGuideName), kAppearance));
    EXPECT_EQ(notice.title, QStringLiteral("THE DOCUMENT COULD NOT BE OPENED"));
    EXPECT_TRUE(notice.message.contains(QStringLiteral("Quillmark User Guide is a PDF file")))
        << notice.message.toStdString();
    EXPECT_TRUE(notice.message.endsWith(QStringLiteral("\n\n") + guide)) << notice.message.toStdString();
    EXPECT_EQ(logged_, std::vector<std::string>{"Quillmark: no application opened " + guide.toStdString()});
    EXPECT_FALSE(openDialog()) << "the notice is gone once acknowledged";
}

class DelegateDocumentsTest : public DocumentOpenerTest {
protected:
    DelegateDocumentsTest() {
        options.queue = &queue;
        options.defaults = &defaults;
    }

    ManualMainQueue queue;
    MemoryUserDefaults defaults;
    AppDelegate::Options options;
};

TEST_F(DelegateDocumentsTest, TheDelegateOpensTheBuiltDocumentsOfTheMainBundle) {
    AppDelegate delegate(options);

    delegate.openManual();
    delegate.openLicenseAgreement();

    const QDir main(ResourceBundle::main().directory());
    ASSERT_EQ(handler_.opened.size(), 2u) << "the build puts both in " << main.path().toStdString();
    EXPECT_EQ(handler_.opened[0], QUrl::fromLocalFile(main.filePath(QStringLiteral("Quillmark User Guide.pdf"))));
    EXPECT_EQ(handler_.opened[1],
              QUrl::fromLocalFile(main.filePath(QStringLiteral("Quillmark Developers License.pdf"))));
    for (const QUrl& url : handler_.opened)
        EXPECT_TRUE(QFile::exists(url.toLocalFile())) << url.toString().toStdString();
}

TEST_F(DelegateDocumentsTest, EachDocumentTheDesktopCannotOpenIsNamedWithItsPathInANotice) {
    AppDelegate delegate(options);
    NoDocumentHandler none;
    const QDir main(ResourceBundle::main().directory());
    const struct {
        std::function<void()> open;
        const char* fileName;
    } cases[] = {{[&] { delegate.openManual(); }, "Quillmark User Guide.pdf"},
                 {[&] { delegate.openLicenseAgreement(); }, "Quillmark Developers License.pdf"}};
    for (const auto& [open, fileName] : cases) {
        SCOPED_TRACE(fileName);
        QString message;
        whenDialogOpens([&](DialogWindow& dialog) {
            message = dialog.panel().message().shownText();
            pressKey(dialog, Qt::Key_Escape);
        });
        open();
        EXPECT_TRUE(message.endsWith(main.filePath(QString::fromLatin1(fileName)))) << message.toStdString();
    }
    EXPECT_TRUE(handler_.opened.empty());
}

}  // namespace
}  // namespace quillmark::testing

#include "DocumentOpenerTest.moc"
