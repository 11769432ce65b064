#include "cmds/lexer/utf8_internal.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#define CMDS_HAS_SSE2 1
#endif

namespace cmds::detail {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes into `target`, which has room for `length` units; returns the units written, or
// std::size_t(-1) when the bytes are not strictly well formed.
std::size_t Decode(const unsigned char* in, std::size_t length, std::size_t readable,
                   unsigned short* target) {
    constexpr std::size_t kFailed = static_cast<std::size_t>(-1);
    unsigned short* out = target;
    std::size_t i = 0;
    while (i < length) {
#if defined(CMDS_HAS_SSE2)
        // ASCII, the common case, goes sixteen bytes at a time, read where sixteen can be
        // read: all sixteen are widened, and as many count as are ASCII before the first byte
        // beyond ASCII or the end of the text. The target has room for sixteen units past
        // every unit that the text can yield.
        if (readable - i >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
            const auto beyond = static_cast<unsigned>(_mm_movemask_epi8(bytes)) | 0x10000u;
            const std::size_t ascii =
                std::min<std::size_t>(static_cast<std::size_t>(__builtin_ctz(beyond)), length - i);
            out += ascii;
            i += ascii;
            if (ascii == 16 || i == length) {
                continue;
            }
        }
#endif
        const unsigned char b0 = in[i];
        if (b0 < 0x80) {
            *out++ = b0;
            ++i;
            continue;
        }
        const std::size_t left = length - i;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            if (left < 2 || !IsContinuation(in[i + 1])) {
                return kFailed;
            }
            *out++ = static_cast<unsigned short>(((b0 & 0x1Fu) << 6) | (in[i + 1] & 0x3Fu));
            i += 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            if (left < 3) {
                return kFailed;
            }
            const unsigned char b1 = in[i + 1];
            // E0 needs A0..BF for the shortest form; ED needs 80..9F to stay below the
            // surrogates.
            const unsigned char low = b0 == 0xE0 ? 0xA0 : 0x80;
            const unsigned char high = b0 == 0xED ? 0x9F : 0xBF;
            if (b1 < low || b1 > high || !IsContinuation(in[i + 2])) {
                return kFailed;
            }
            *out++ = static_cast<unsigned short>(((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) |
                                                 (in[i + 2] & 0x3Fu));
            i += 3;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            if (left < 4) {
                return kFailed;
            }
            const unsigned char b1 = in[i + 1];
            const unsigned char low = b0 == 0xF0 ? 0x90 : 0x80;
            const unsigned char high = b0 == 0xF4 ? 0x8F : 0xBF;
            if (b1 < low || b1 > high || !IsContinuation(in[i + 2]) || !IsContinuation(in[i + 3])) {
                return kFailed;
            }
            const std::uint32_t point = ((b0 & 0x07u) << 18) | ((b1 & 0x3Fu) << 12) |
                                        ((in[i + 2] & 0x3Fu) << 6) | (in[i + 3] & 0x3Fu);
            const std::uint32_t offset = point - 0x10000;
            *out++ = static_cast<unsigned short>(0xD800 | (offset >> 10));
            *out++ = static_cast<unsigned short>(0xDC00 | (offset & 0x3FF));
            i += 4;
        } else {
            return kFailed;
        }
    }
    return static_cast<std::size_t>(out - target);
}

}  // namespace

bool DecodeUtf8(const char* text, std::size_t length, std::size_t readable, wstring& out) {
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    // A short text is decoded on the stack and stored in one copy, which spares filling the
    // target before writing it.
    constexpr std::size_t kOnStack = 256;
    constexpr std::size_t kSpare = 16;
    if (length <= kOnStack) {
        unsigned short units[kOnStack + kSpare];
        const std::size_t count = Decode(in, length, readable, units);
        if (count == static_cast<std::size_t>(-1)) {
            return false;
        }
        out.assign(units, count);
        return true;
    }
    out.resize(length + kSpare);
    const std::size_t count = Decode(in, length, readable, out.data());
    if (count == static_cast<std::size_t>(-1)) {
        return false;
    }
    out.resize(count);
    return true;
}

}  // namespace cmds::detail
