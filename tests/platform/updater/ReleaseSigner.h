#pragma once

#include <QByteArray>

#include <sodium.h>

#include <array>
#include <string>

namespace quillmark::testing {

// An Ed25519 key pair made for one test, signing releases as a publisher does.
class ReleaseSigner {
public:
    ReleaseSigner() {
        if (sodium_init() < 0) std::abort();
        crypto_sign_keypair(publicKey_.data(), secretKey_.data());
    }

    std::string publicKeyBase64() const { return base64(publicKey_.data(), publicKey_.size()); }

    std::string sign(const QByteArray& contents) const {
        std::array<unsigned char, crypto_sign_BYTES> signature{};
        crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(contents.constData()),
                             static_cast<unsigned long long>(contents.size()), secretKey_.data());
        return base64(signature.data(), signature.size());
    }

private:
    static std::string base64(const unsigned char* bytes, std::size_t size) {
        return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size)).toBase64().toStdString();
    }

    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> publicKey_{};
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> secretKey_{};
};

}  // namespace quillmark::testing
