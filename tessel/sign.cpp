// The password signature: the SHA-256 digest of the
// password's UTF-16LE bytes as 64 lower-case hexadecimal digits, computed with libcrypto.
#include "cmds/support/tessel.h"

#include <openssl/evp.h>

#include <cstddef>
#include <stdexcept>
#include <vector>

std::string SignUserPwd(const std::basic_string<unsigned short>& password) {
    const std::size_t n = password.size();
    std::vector<unsigned char> bytes(n * 2 + 1);  // +1 keeps data() non-null for an empty password
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned u = password[i];
        bytes[2 * i] = static_cast<unsigned char>(u & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(u >> 8);
    }

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    if (EVP_Digest(bytes.data(), n * 2, digest, &digestSize, EVP_sha256(), nullptr) != 1 ||
        digestSize != 32) {
        throw std::runtime_error("SignUserPwd: SHA-256 digest failed");
    }

    static constexpr char kLowerHex[] = "0123456789abcdef";
    std::string signature(static_cast<std::size_t>(digestSize) * 2, '\0');
    for (std::size_t i = 0; i < digestSize; ++i) {
        signature[2 * i] = kLowerHex[digest[i] >> 4];
        signature[2 * i + 1] = kLowerHex[digest[i] & 0x0F];
    }
    return signature;
}
