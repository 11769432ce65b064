// UTF-8 decoding into 16-bit code units. It accepts exactly what the encoding can produce, plus
// standard UTF-8 in general and three-byte surrogate forms; each byte that starts no well-formed
// sequence becomes U+FFFD and decoding resumes at the next byte.
#include "cmds/support/tessel.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr unsigned short kReplacement = 0xFFFD;

// Texts up to this many bytes are decoded on the stack and given to the target in one piece.
constexpr std::size_t kStackBytes = 256;

// The decoder reads its input in blocks of this many bytes and writes as many units at a time: the
// input is followed by this many bytes of padding and the output has room for as many units more.
constexpr std::size_t kBlock = 16;

// The padding is no ASCII, so that a run of ASCII ends with the text, and a continuation byte: a
// sequence cut short by the end of the text must be told by its length alone.
constexpr unsigned char kPadding = 0x80;

inline bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Widens the run of ASCII bytes at the start of `in` into `out` and returns its length. Units
// past the run, up to the end of its block, are written too and overwritten later.
inline std::size_t WidenAscii(const unsigned char* in, unsigned short* out) {
    std::size_t k = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (;; k += kBlock) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 8), _mm_unpackhi_epi8(bytes, zero));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(bytes));
        if (high != 0) {
            return k + static_cast<std::size_t>(__builtin_ctz(high));
        }
    }
#else
    for (std::uint64_t block = 0;; k += sizeof block) {
        std::memcpy(&block, in + k, sizeof block);
        if ((block & 0x8080808080808080u) != 0) {
            break;
        }
        for (std::size_t j = 0; j < sizeof block; ++j) {
            out[k + j] = in[k + j];
        }
    }
    for (; in[k] < 0x80; ++k) {
        out[k] = in[k];
    }
    return k;
#endif
}

// Decodes the sequence that starts with the byte beyond ASCII at `in` (of `left` bytes, at least
// one), writes its units at `out` and returns the number of bytes it took; 0 when the byte starts
// no well-formed sequence.
inline std::size_t DecodeSequence(const unsigned char* in, std::size_t left, unsigned short*& out) {
    const unsigned char b0 = in[0];
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left >= 2 && IsContinuation(in[1])) {
            *out++ = static_cast<unsigned short>(((b0 & 0x1Fu) << 6) | (in[1] & 0x3Fu));
            return 2;
        }
    } else if (b0 == 0xC0) {
        if (left >= 2 && in[1] == 0xA7) {  // the apostrophe's only accepted overlong form
            *out++ = 0x27;
            return 2;
        }
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left >= 3) {
            const unsigned char b1 = in[1];
            const unsigned char b2 = in[2];
            // E0 needs A0..BF to be the shortest form; ED A0..BF (surrogates) is accepted.
            const unsigned char lo = (b0 == 0xE0) ? 0xA0 : 0x80;
            if (b1 >= lo && b1 <= 0xBF && IsContinuation(b2)) {
                *out++ = static_cast<unsigned short>(((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) |
                                                     (b2 & 0x3Fu));
                return 3;
            }
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left >= 4) {
            const unsigned char b1 = in[1];
            const unsigned char lo = (b0 == 0xF0) ? 0x90 : 0x80;  // shortest form
            const unsigned char hi = (b0 == 0xF4) ? 0x8F : 0xBF;  // at most U+10FFFF
            if (b1 >= lo && b1 <= hi && IsContinuation(in[2]) && IsContinuation(in[3])) {
                const unsigned cp = ((b0 & 0x07u) << 18) | ((b1 & 0x3Fu) << 12) |
                                    ((in[2] & 0x3Fu) << 6) | (in[3] & 0x3Fu);
                const unsigned v = cp - 0x10000;
                out[0] = static_cast<unsigned short>(0xD800 | (v >> 10));
                out[1] = static_cast<unsigned short>(0xDC00 | (v & 0x3FF));
                out += 2;
                return 4;
            }
        }
    }
    return 0;
}

// Decodes the `n` bytes at `in`, padded, into `out`, which has room for `n` units and a block more,
// and returns the end of the units written.
unsigned short* Decode(const unsigned char* in, std::size_t n, unsigned short* out,
                       bool& malformed) {
    // Runs of ASCII and sequences alternate; sequences are rarely next to each other, and a run
    // that starts at the end of the text is ended at once by the padding.
    std::size_t i = 0;
    for (;;) {
        const std::size_t run = WidenAscii(in + i, out);
        i += run;
        out += run;
        if (i == n) {
            return out;
        }
        const std::size_t taken = DecodeSequence(in + i, n - i, out);
        if (taken != 0) {
            i += taken;
        } else {
            // Continuation bytes, C1, other C0 forms, F5..FF, truncated or overlong sequences,
            // code points above U+10FFFF.
            *out++ = kReplacement;
            malformed = true;
            ++i;
        }
    }
}

}  // namespace

int ConvertUTF8ToUnicode(const std::string& source, std::basic_string<unsigned short>& target) {
    const std::size_t n = source.size();
    bool malformed = false;

    // Every byte yields at most one unit (a four-byte sequence yields two).
    if (n <= kStackBytes) {
        char bytes[kStackBytes + kBlock];
        std::char_traits<char>::copy(bytes, source.data(), n);
        std::memset(bytes + n, kPadding, kBlock);
        unsigned short units[kStackBytes + kBlock];
        const unsigned short* const end =
            Decode(reinterpret_cast<const unsigned char*>(bytes), n, units, malformed);
        target.assign(units, static_cast<std::size_t>(end - units));
    } else {
        std::string padded;
        padded.reserve(n + kBlock);
        padded.assign(source).append(kBlock, static_cast<char>(kPadding));
        target.clear();
        target.resize(n + kBlock);
        unsigned short* const begin = &target[0];
        const unsigned short* const end =
            Decode(reinterpret_cast<const unsigned char*>(padded.data()), n, begin, malformed);
        target.resize(static_cast<std::size_t>(end - begin));
    }
    return malformed ? -1 : 0;
}
