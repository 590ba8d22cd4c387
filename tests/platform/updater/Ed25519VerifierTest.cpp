// Signatures over whole files, with keys made here.
#include "ReleaseSigner.h"

#include "platform/updater/Ed25519Verifier.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

TEST(Ed25519VerifierTest, AcceptsOnlyTheSignatureOfTheWholeFileByThisKey) {
    QTemporaryDir dir;
    const QString path = dir.filePath("release.deb");
    const QByteArray contents = QByteArray(200'000, 'q') + "end";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();

    ReleaseSigner publisher;
    ReleaseSigner stranger;
    const auto verifier = Ed25519Verifier::fromBase64Key(publisher.publicKeyBase64());
    ASSERT_TRUE(verifier);
    EXPECT_TRUE(verifier->verifyFile(path.toStdString(), publisher.sign(contents)));
    EXPECT_FALSE(verifier->verifyFile(path.toStdString(), stranger.sign(contents)));
    EXPECT_FALSE(verifier->verifyFile(path.toStdString(), publisher.sign(contents.left(200'000))));
    EXPECT_FALSE(verifier->verifyFile(path.toStdString(), ""));
    EXPECT_FALSE(verifier->verifyFile(path.toStdString(), "not base64 at all!"));
    EXPECT_FALSE(verifier->verifyFile(dir.filePath("missing").toStdString(), publisher.sign(contents)));
}

TEST(Ed25519VerifierTest, KeysMustDecodeToThirtyTwoBytes) {
    EXPECT_FALSE(Ed25519Verifier::fromBase64Key(""));
    EXPECT_FALSE(Ed25519Verifier::fromBase64Key("CHANGE-ME"));
    EXPECT_FALSE(Ed25519Verifier::fromBase64Key(QByteArray(31, 'k').toBase64().toStdString()));
    EXPECT_FALSE(Ed25519Verifier::fromBase64Key(QByteArray(33, 'k').toBase64().toStdString()));
    EXPECT_TRUE(Ed25519Verifier::fromBase64Key(QByteArray(32, 'k').toBase64().toStdString()));
}

}  // namespace
}  // namespace quillmark::testing
