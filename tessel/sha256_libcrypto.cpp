#include <openssl/evp.h>

#include <stdexcept>

#include "sha256_internal.h"

namespace tessel {

Sha256Digest Sha256(const unsigned char* data, std::size_t size) {
    Sha256Digest digest;
    unsigned int digestSize = 0;
    if (EVP_Digest(data, size, digest.data(), &digestSize, EVP_sha256(), nullptr) != 1 ||
        digestSize != digest.size()) {
        throw std::runtime_error("SignUserPwd: SHA-256 digest failed");
    }
    return digest;
}

}  // namespace tessel
