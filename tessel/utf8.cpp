// UTF-8 conversion of 16-bit code-unit strings.
//
// Encoding: standard UTF-8, except that the apostrophe U+0027 is written as the overlong form
// C0 A7 (so the text never contains the byte 0x27) and an unpaired surrogate is written as its
// own three-byte form. Decoding accepts exactly what encoding can produce, plus standard UTF-8 in
// general and three-byte surrogate forms; each byte that starts no well-formed sequence becomes
// U+FFFD and decoding resumes at the next byte.
#include "cmds/support/tessel.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr unsigned short kReplacement = 0xFFFD;

inline bool IsHighSurrogate(unsigned u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
inline bool IsLowSurrogate(unsigned u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
inline bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Units converted per round of ConvertUnicodeToUTF8. A unit takes at most three bytes; a
// surrogate pair that starts on the last unit of a round takes one unit of the next round along,
// with four bytes for the two. The Copy functions below may write up to sixteen bytes beyond
// what they take.
constexpr std::size_t kChunkUnits = 128;
constexpr std::size_t kChunkBytes = kChunkUnits * 3 + 1 + 16;

// The Copy functions copy the leading units at `in` that stand for themselves (ASCII other than
// the apostrophe) to `out` as single bytes and return how many there were: of sixteen units, or
// of `count` units (one to eight), where the eight units that end at in + count must be readable.
#if defined(__SSE2__)
// Every x86-64 processor has SSE2: eight units are tested and narrowed at once, without a branch.

// All ones in each 16-bit lane whose unit stands for itself.
inline __m128i PlainLanes(__m128i units) {
    const __m128i ascii = _mm_cmpeq_epi16(
        _mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80))), _mm_setzero_si128());
    return _mm_andnot_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(0x27)), ascii);
}

inline std::size_t CopySixteenPlainUnits(const unsigned short* in, char* out) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
    // One bit per unit; the bits above the sixteen are clear, so the count stops at sixteen.
    const auto plain = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_packs_epi16(PlainLanes(first), PlainLanes(second))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(first, second));
    return static_cast<std::size_t>(__builtin_ctz(~plain));
}

// Fewer than eight units are taken from the eight that end at in + count, shifted past those
// ahead of `in`.
inline std::size_t CopyPlainUnits(const unsigned short* in, std::size_t count, char* out) {
    const std::size_t skipped = 8 - count;
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in - skipped));
    const __m128i lanes = PlainLanes(units);
    // One bit per unit; from the shift on, the bits above the `count` units are clear.
    const unsigned plain =
        (static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(lanes, lanes))) & 0xFF) >> skipped;
    std::uint64_t bytes;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&bytes), _mm_packus_epi16(units, units));
    bytes >>= 8 * skipped;  // x86 is little-endian: the first unit's byte is the lowest
    std::memcpy(out, &bytes, sizeof bytes);
    return static_cast<std::size_t>(__builtin_ctz(~plain));
}
#else
inline std::size_t CopyPlainUnits(const unsigned short* in, std::size_t count, char* out) {
    std::size_t taken = 0;
    while (taken < count && in[taken] < 0x80 && in[taken] != 0x27) {
        out[taken] = static_cast<char>(in[taken]);
        ++taken;
    }
    return taken;
}

inline std::size_t CopySixteenPlainUnits(const unsigned short* in, char* out) {
    return CopyPlainUnits(in, 16, out);
}
#endif

// Writes the UTF-8 form of the unit at in[i], or of the surrogate pair that starts there, and
// moves `i` past what it took.
inline char* EncodeUnit(const unsigned short* in, std::size_t n, std::size_t& i, char* out) {
    const unsigned u = in[i];
    if (u < 0x80 && u != 0x27) {
        *out = static_cast<char>(u);
        ++i;
        return out + 1;
    }
    if (IsHighSurrogate(u) && i + 1 < n && IsLowSurrogate(in[i + 1])) {
        const unsigned cp = 0x10000 + ((u - 0xD800) << 10) + (in[i + 1] - 0xDC00u);
        out[0] = static_cast<char>(0xF0 | (cp >> 18));
        out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[3] = static_cast<char>(0x80 | (cp & 0x3F));
        i += 2;
        return out + 4;
    }
    ++i;
    // The two-byte form of the apostrophe is its overlong form C0 A7.
    if (u < 0x800) {
        out[0] = static_cast<char>(0xC0 | (u >> 6));
        out[1] = static_cast<char>(0x80 | (u & 0x3F));
        return out + 2;
    }
    // Any other unit, an unpaired surrogate included, takes its three-byte form.
    out[0] = static_cast<char>(0xE0 | (u >> 12));
    out[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (u & 0x3F));
    return out + 3;
}

}  // namespace

int ConvertUnicodeToUTF8(const std::basic_string<unsigned short>& source, std::string& target) {
    const std::size_t n = source.size();
    const unsigned short* const in = source.data();

    // Each round converts into a buffer on the stack that is then appended, so the target is
    // never filled with bytes only to have them overwritten.
    char chunk[kChunkBytes];
    target.clear();

    std::size_t i = 0;
    while (i < n) {
        const std::size_t roundEnd = i + std::min(n - i, kChunkUnits);
        char* out = chunk;
        // Text is mostly ASCII: once the text is long enough to read eight units anywhere in it,
        // runs of units that stand for themselves are taken sixteen at a time, then up to eight
        // at a time for the rest of the round.
        if (roundEnd >= 8) {
            while (i + 16 <= roundEnd) {
                const std::size_t plain = CopySixteenPlainUnits(in + i, out);
                out += plain;
                i += plain;
                if (plain < 16) {
                    out = EncodeUnit(in, n, i, out);
                }
            }
            while (i < roundEnd) {
                const std::size_t count = std::min(roundEnd - i, std::size_t{8});
                const std::size_t plain = CopyPlainUnits(in + i, count, out);
                out += plain;
                i += plain;
                if (plain < count) {
                    out = EncodeUnit(in, n, i, out);
                }
            }
        } else {
            while (i < roundEnd) {
                out = EncodeUnit(in, n, i, out);
            }
        }
        target.append(chunk, static_cast<std::size_t>(out - chunk));
    }
    return static_cast<int>(target.size());
}

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
