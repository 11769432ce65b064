// The SHA-256 digest, from the platform's cryptography library: libcrypto on Linux, CNG (bcrypt)
// on Windows.
#ifndef TESSEL_SHA256_INTERNAL_H
#define TESSEL_SHA256_INTERNAL_H

#include <array>
#include <cstddef>

namespace tessel {

using Sha256Digest = std::array<unsigned char, 32>;

// The digest of `size` bytes at `data`. Throws std::runtime_error when the library fails.
Sha256Digest Sha256(const unsigned char* data, std::size_t size);

}  // namespace tessel

#endif
