// windows.h first: bcrypt.h relies on its types.
#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

#include "sha256_internal.h"

namespace tessel {

namespace {

[[noreturn]] void Fail(const char* step) {
    throw std::runtime_error(std::string("SignUserPwd: SHA-256 digest failed in ") + step);
}

// Opened once, since opening a provider costs far more than hashing a password. The handle is
// never closed: the process's end releases it, and closing it while a DLL unloads would call
// into bcrypt under the loader lock.
BCRYPT_ALG_HANDLE Sha256Provider() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        if (!BCRYPT_SUCCESS(
                BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
            Fail("BCryptOpenAlgorithmProvider");
        }
        return handle;
    }();
    return provider;
}

class HashObject {
public:
    HashObject() {
        if (!BCRYPT_SUCCESS(
                BCryptCreateHash(Sha256Provider(), &handle_, nullptr, 0, nullptr, 0, 0))) {
            Fail("BCryptCreateHash");
        }
    }
    ~HashObject() { BCryptDestroyHash(handle_); }
    HashObject(const HashObject&) = delete;
    HashObject& operator=(const HashObject&) = delete;

    BCRYPT_HASH_HANDLE get() const { return handle_; }

private:
    BCRYPT_HASH_HANDLE handle_ = nullptr;
};

}  // namespace

Sha256Digest Sha256(const unsigned char* data, std::size_t size) {
    HashObject hash;
    // BCryptHashData takes at most a ULONG of bytes at once.
    constexpr std::size_t kMaxPiece = std::numeric_limits<ULONG>::max();
    do {
        const std::size_t piece = std::min(size, kMaxPiece);
        if (!BCRYPT_SUCCESS(BCryptHashData(hash.get(), const_cast<PUCHAR>(data),
                                           static_cast<ULONG>(piece), 0))) {
            Fail("BCryptHashData");
        }
        data += piece;
        size -= piece;
    } while (size > 0);

    Sha256Digest digest;
    if (!BCRYPT_SUCCESS(
            BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
        Fail("BCryptFinishHash");
    }
    return digest;
}

}  // namespace tessel
