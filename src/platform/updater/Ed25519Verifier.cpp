#include "platform/updater/Ed25519Verifier.h"

#include <QByteArray>
#include <QFile>

#include <sodium.h>

namespace quillmark {
namespace {

std::optional<QByteArray> decodeBase64(const std::string& text) {
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(text).trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return std::nullopt;
    return decoded.decoded;
}

}  // namespace

std::optional<Ed25519Verifier> Ed25519Verifier::fromBase64Key(const std::string& base64Key) {
    const auto key = decodeBase64(base64Key);
    if (!key || key->size() != crypto_sign_PUBLICKEYBYTES) return std::nullopt;
    std::array<unsigned char, 32> bytes{};
    std::copy(key->begin(), key->end(), bytes.begin());
    return Ed25519Verifier(bytes);
}

bool Ed25519Verifier::verifyFile(const std::string& path, const std::string& base64Signature) const {
    if (sodium_init() < 0) return false;
    const auto signature = decodeBase64(base64Signature);
    if (!signature || signature->size() != crypto_sign_BYTES) return false;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    // The signature covers the whole file; a mapping spares reading it into memory.
    const qint64 size = file.size();
    const unsigned char* contents = size > 0 ? file.map(0, size) : nullptr;
    QByteArray read;
    if (size > 0 && !contents) {
        read = file.readAll();
        if (read.size() != size) return false;
        contents = reinterpret_cast<const unsigned char*>(read.constData());
    }
    static const unsigned char empty = 0;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature->constData()),
                                       contents ? contents : &empty, static_cast<unsigned long long>(size),
                                       key_.data()) == 0;
}

}  // namespace quillmark
