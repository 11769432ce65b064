// UTF-8 encoding of 16-bit code-unit strings: standard UTF-8, except that the apostrophe U+0027
// is written as the overlong form C0 A7 (so the text never contains the byte 0x27) and an
// unpaired surrogate is written as its own three-byte form.
#include "cmds/support/tessel.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline bool IsHighSurrogate(unsigned u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
inline bool IsLowSurrogate(unsigned u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Units converted per round of ConvertUnicodeToUTF8. A unit takes at most three bytes; a
// surrogate pair that starts on the last unit of a round takes one unit of the next round along,
// with four bytes for the two. The Copy functions below may write up to sixteen bytes beyond
// what they take, and a unit's form is written with up to four bytes.
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
// moves `i` past what it took. in[i + 1] must be readable: the last unit of a string is followed
// by its terminating null. Four bytes are written whatever the form's length. Nothing branches on
// the kind of unit, which varies from unit to unit in most texts and would mostly be
// mispredicted.
inline char* EncodeUnit(const unsigned short* in, std::size_t& i, char* out) {
    const unsigned u = in[i];
    const unsigned next = in[i + 1];
    const bool plain = u < 0x80 && u != 0x27;
    const bool pair = IsHighSurrogate(u) && IsLowSurrogate(next);
    const unsigned cp = pair ? 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00) : u;
    // Bytes after the first two of a form beyond one byte: none below 0x800 (the apostrophe too,
    // as its overlong form C0 A7), one for any other single unit, an unpaired surrogate
    // included, two for a pair.
    const unsigned extra = (u >= 0x800 ? 1U : 0U) + (pair ? 1U : 0U);
    const unsigned lead = (0xF0E0C0U >> (8 * extra) & 0xFF) | cp >> (6 * extra + 6);
    out[0] = static_cast<char>(plain ? u : lead);
    out[1] = static_cast<char>(0x80 | (cp >> (6 * extra) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp << 6) >> (6 * extra) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    i += pair ? 2 : 1;
    return out + (plain ? 1 : 2 + extra);
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
        // at a time for the rest of the round. The unit that ends a run is encoded whatever it
        // is, so that a run's length decides no branch.
        if (roundEnd >= 8) {
            while (i + 16 < roundEnd) {
                const std::size_t plain = CopySixteenPlainUnits(in + i, out);
                out += plain;
                i += plain;
                out = EncodeUnit(in, i, out);
            }
            while (i < roundEnd) {
                const std::size_t count = std::min(roundEnd - i, std::size_t{8});
                const std::size_t plain = CopyPlainUnits(in + i, count, out);
                out += plain;
                i += plain;
                if (i < roundEnd) {
                    out = EncodeUnit(in, i, out);
                }
            }
        } else {
            while (i < roundEnd) {
                out = EncodeUnit(in, i, out);
            }
        }
        target.append(chunk, static_cast<std::size_t>(out - chunk));
    }
    return static_cast<int>(target.size());
}
