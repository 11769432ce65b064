// UTF-8 decoding into 16-bit code units. It accepts exactly what the encoding can produce, plus
// standard UTF-8 in general and three-byte surrogate forms; each byte that starts no well-formed
// sequence becomes U+FFFD and decoding resumes at the next byte.
#include "cmds/support/tessel.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned short kReplacement = 0xFFFD;

inline bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

}  // namespace

int ConvertUTF8ToUnicode(const std::string& source, std::basic_string<unsigned short>& target) {
    const std::size_t n = source.size();
    const unsigned char* const in = reinterpret_cast<const unsigned char*>(source.data());

    // Every byte yields at most one unit (a four-byte sequence yields two).
    target.clear();
    target.resize(n);
    unsigned short* const begin = &target[0];
    unsigned short* out = begin;
    bool malformed = false;

    std::size_t i = 0;
    while (i < n) {
        const unsigned char b0 = in[i];
        if (b0 < 0x80) {
            // Text is mostly ASCII: widen eight such bytes at a time where they follow.
            std::uint64_t block = 0;
            if (n - i >= sizeof block) {
                std::memcpy(&block, in + i, sizeof block);
            }
            if (block != 0 && (block & 0x8080808080808080u) == 0) {
                for (std::size_t k = 0; k < sizeof block; ++k) {
                    out[k] = in[i + k];
                }
                out += sizeof block;
                i += sizeof block;
                continue;
            }
            *out++ = b0;
            ++i;
            continue;
        }
        const std::size_t left = n - i;  // bytes available from b0 on, b0 included
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            if (left >= 2 && IsContinuation(in[i + 1])) {
                *out++ = static_cast<unsigned short>(((b0 & 0x1Fu) << 6) | (in[i + 1] & 0x3Fu));
                i += 2;
                continue;
            }
        } else if (b0 == 0xC0) {
            if (left >= 2 && in[i + 1] == 0xA7) {  // the apostrophe's only accepted overlong form
                *out++ = 0x27;
                i += 2;
                continue;
            }
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            if (left >= 3) {
                const unsigned char b1 = in[i + 1];
                const unsigned char b2 = in[i + 2];
                // E0 needs A0..BF to be the shortest form; ED A0..BF (surrogates) is accepted.
                const unsigned char lo = (b0 == 0xE0) ? 0xA0 : 0x80;
                if (b1 >= lo && b1 <= 0xBF && IsContinuation(b2)) {
                    *out++ = static_cast<unsigned short>(((b0 & 0x0Fu) << 12) |
                                                         ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu));
                    i += 3;
                    continue;
                }
            }
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            if (left >= 4) {
                const unsigned char b1 = in[i + 1];
                const unsigned char lo = (b0 == 0xF0) ? 0x90 : 0x80;  // shortest form
                const unsigned char hi = (b0 == 0xF4) ? 0x8F : 0xBF;  // at most U+10FFFF
                if (b1 >= lo && b1 <= hi && IsContinuation(in[i + 2]) &&
                    IsContinuation(in[i + 3])) {
                    const unsigned cp = ((b0 & 0x07u) << 18) | ((b1 & 0x3Fu) << 12) |
                                        ((in[i + 2] & 0x3Fu) << 6) | (in[i + 3] & 0x3Fu);
                    const unsigned v = cp - 0x10000;
                    *out++ = static_cast<unsigned short>(0xD800 | (v >> 10));
                    *out++ = static_cast<unsigned short>(0xDC00 | (v & 0x3FF));
                    i += 4;
                    continue;
                }
            }
        }
        // A byte that starts no well-formed sequence: continuation bytes, C1, other C0 forms,
        // F5..FF, truncated or overlong sequences, code points above U+10FFFF.
        *out++ = kReplacement;
        malformed = true;
        ++i;
    }

    target.resize(static_cast<std::size_t>(out - begin));
    return malformed ? -1 : 0;
}
