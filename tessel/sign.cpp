// The password signature: the SHA-256 digest of the password's UTF-16LE bytes as 64 lower-case
// hexadecimal digits.
#include <cstddef>
#include <vector>

#include "cmds/support/tessel.h"
#include "sha256_internal.h"

std::string SignUserPwd(const std::basic_string<unsigned short>& password) {
    const std::size_t n = password.size();
    std::vector<unsigned char> bytes(n * 2 + 1);  // +1 keeps data() non-null for an empty password
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned u = password[i];
        bytes[2 * i] = static_cast<unsigned char>(u & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(u >> 8);
    }

    const tessel::Sha256Digest digest = tessel::Sha256(bytes.data(), n * 2);
    static constexpr char kLowerHex[] = "0123456789abcdef";
    std::string signature(digest.size() * 2, '\0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        signature[2 * i] = kLowerHex[digest[i] >> 4];
        signature[2 * i + 1] = kLowerHex[digest[i] & 0x0F];
    }
    return signature;
}
