#pragma once

#include <array>
#include <optional>
#include <string>

namespace quillmark {

// Checks the publisher's Ed25519 signature over a whole file with the public key this build carries.
class Ed25519Verifier {
public:
    // Nothing when `base64Key` does not decode to a 32-byte public key.
    static std::optional<Ed25519Verifier> fromBase64Key(const std::string& base64Key);

    // True only when `base64Signature` decodes to 64 bytes that sign the file's full contents.
    bool verifyFile(const std::string& path, const std::string& base64Signature) const;

private:
    explicit Ed25519Verifier(const std::array<unsigned char, 32>& key) : key_(key) {}

    std::array<unsigned char, 32> key_;
};

}  // namespace quillmark
