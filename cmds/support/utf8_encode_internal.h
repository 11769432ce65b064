// The UTF-8 encoding of 16-bit units, shared by the writer, which writes a value's UTF-8 form
// itself where that form is fixed, and by the default support library, which writes every form.
#ifndef CMDS_SUPPORT_UTF8_ENCODE_INTERNAL_H
#define CMDS_SUPPORT_UTF8_ENCODE_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cmds::detail {

// Bytes that encoding may write beyond the forms it writes.
constexpr std::size_t kEncodingSlack = 8;

inline bool IsHighSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool IsLowSurrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Writes the UTF-8 form of the unit at in[i], or of the surrogate pair that starts there, and
// moves `i` past what it took: the apostrophe as the overlong form C0 A7, an unpaired surrogate as
// its own three-byte form. Either of those sets `irregular`, as their forms are not UTF-8. in[i +
// 1] must be readable: the last unit of a string is followed by its terminating null. Four bytes
// are written whatever the form's length. Nothing branches on the kind of unit, which varies from
// unit to unit in most texts and would mostly be mispredicted.
inline char* EncodeUnit(const unsigned short* in, std::size_t& i, char* out, bool& irregular) {
    const unsigned u = in[i];
    const unsigned next = in[i + 1];
    const bool plain = u < 0x80 && u != 0x27;
    const bool pair = IsHighSurrogate(u) && IsLowSurrogate(next);
    const bool surrogate = (u & 0xF800) == 0xD800;
    irregular |= u == 0x27 || (surrogate && !pair);
    const unsigned cp = pair ? 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00) : u;
    // Bytes after the first two of a form beyond one byte: none below 0x800 (the apostrophe too),
    // one for any other single unit, an unpaired surrogate included, two for a pair.
    const unsigned extra = (u >= 0x800 ? 1U : 0U) + (pair ? 1U : 0U);
    const unsigned lead = (0xF0E0C0U >> (8 * extra) & 0xFF) | cp >> (6 * extra + 6);
    out[0] = static_cast<char>(plain ? u : lead);
    out[1] = static_cast<char>(0x80 | (cp >> (6 * extra) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp << 6) >> (6 * extra) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    i += pair ? 2 : 1;
    return out + (plain ? 1 : 2 + extra);
}

#if defined(__SSE2__)
// Every x86-64 processor has SSE2: the forms of eight units are made at once and written one after
// another without a branch, whatever their kinds, which vary from unit to unit in most texts and
// would mostly be mispredicted.

inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// Units from which a text is long enough for runs of ASCII to be looked for.
constexpr std::size_t kLongText = 64;

// Every 16-bit lane holding `value`.
inline __m128i Lanes(int value) {
    return _mm_set1_epi16(static_cast<short>(value));
}

// All ones in each lane holding a surrogate of the kind that `first` begins: 0xD800 the high ones,
// 0xDC00 the low ones.
inline __m128i SurrogateLanes(__m128i units, int first) {
    return _mm_cmpeq_epi16(_mm_and_si128(units, Lanes(0xFC00)), Lanes(first));
}

// All ones in each lane whose unit stands for itself: ASCII other than the apostrophe.
inline __m128i PlainLanes(__m128i units) {
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, Lanes(0xFF80)), _mm_setzero_si128());
    return _mm_andnot_si128(_mm_cmpeq_epi16(units, Lanes(0x27)), ascii);
}

// Writes the forms of the eight units from in[at] on but the first `skip` (0 to 7) and returns
// the end of what it wrote. The unit before them, if any, and the unit after them must be
// readable. A surrogate pair straddling the eight, or the end of a round of a longer text, is
// written in two halves of two bytes: the high surrogate's half from the pair's first three bytes,
// the low surrogate's from its last two and a byte shared with the high one's. Writes up to
// kEncodingSlack bytes beyond the forms.
inline char* EncodeEightUnits(const unsigned short* in, std::size_t at, std::size_t skip, char* out,
                              bool& irregular) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    const __m128i previous =
        _mm_insert_epi16(_mm_slli_si128(units, 2), at == 0 ? 0 : in[at - 1], 0);
    const __m128i next = _mm_insert_epi16(_mm_srli_si128(units, 2), in[at + 8], 7);
    const __m128i pairHigh =
        _mm_and_si128(SurrogateLanes(units, 0xD800), SurrogateLanes(next, 0xDC00));
    const __m128i pairLow =
        _mm_and_si128(SurrogateLanes(units, 0xDC00), SurrogateLanes(previous, 0xD800));
    const __m128i paired = _mm_or_si128(pairHigh, pairLow);
    const __m128i top5 = _mm_and_si128(units, Lanes(0xF800));
    const __m128i surrogates = _mm_cmpeq_epi16(top5, Lanes(0xD800));
    const __m128i apostrophes = _mm_cmpeq_epi16(units, Lanes(0x27));
    irregular |=
        _mm_movemask_epi8(_mm_or_si128(apostrophes, _mm_andnot_si128(paired, surrogates))) != 0;
    const __m128i plain = PlainLanes(units);
    const __m128i belowThreeBytes = _mm_cmpeq_epi16(top5, zero);

    // Each unit's form as the bytes of a 32-bit lane: a lead byte, then up to two bytes of six
    // bits each, the lowest six last. An unpaired surrogate is written as any other unit of
    // three bytes.
    const __m128i lowSix = _mm_or_si128(_mm_and_si128(units, Lanes(0x3F)), Lanes(0x80));
    const __m128i shiftedSix = _mm_srli_epi16(units, 6);
    const __m128i middleSix = _mm_or_si128(_mm_and_si128(shiftedSix, Lanes(0x3F)), Lanes(0x80));
    // The code point of a pair above bit 10, plus its offset 0x10000, and the lead of its low half:
    // the two lowest of those bits and the low surrogate's four bits above its lowest six.
    const __m128i planeAndHigh = _mm_add_epi16(_mm_and_si128(units, Lanes(0x3FF)), Lanes(0x40));
    const __m128i lowHalfLead =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_and_si128(previous, Lanes(3)), 4),
                                  _mm_and_si128(shiftedSix, Lanes(0xF))),
                     Lanes(0x80));
    const __m128i lead =
        Select(plain, units,
               Select(belowThreeBytes, _mm_or_si128(shiftedSix, Lanes(0xC0)),
                      Select(pairHigh, _mm_or_si128(_mm_srli_epi16(planeAndHigh, 8), Lanes(0xF0)),
                             Select(pairLow, lowHalfLead,
                                    _mm_or_si128(_mm_srli_epi16(units, 12), Lanes(0xE0))))));
    const __m128i second = Select(
        _mm_or_si128(belowThreeBytes, pairLow), lowSix,
        Select(
            pairHigh,
            _mm_or_si128(_mm_and_si128(_mm_srli_epi16(planeAndHigh, 2), Lanes(0x3F)), Lanes(0x80)),
            middleSix));
    const __m128i firstTwo = _mm_or_si128(lead, _mm_slli_epi16(second, 8));
    alignas(16) char forms[32];
    _mm_store_si128(reinterpret_cast<__m128i*>(forms), _mm_unpacklo_epi16(firstTwo, lowSix));
    _mm_store_si128(reinterpret_cast<__m128i*>(forms + 16), _mm_unpackhi_epi16(firstTwo, lowSix));

    // Lengths: three, one less below 0x800, one less again for a unit that stands for itself
    // and one less for half a pair; none for the units skipped.
    const __m128i taken =
        _mm_cmpgt_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7), Lanes(static_cast<int>(skip) - 1));
    const __m128i lengths = _mm_and_si128(
        _mm_add_epi16(_mm_add_epi16(Lanes(3), belowThreeBytes), _mm_add_epi16(plain, paired)),
        taken);
    std::uint64_t counts = 0;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&counts), _mm_packus_epi16(lengths, lengths));
    for (std::size_t k = 0; k < 8; ++k) {
        std::memcpy(out, forms + 4 * k, 4);
        out += counts >> (8 * k) & 0xFF;
    }
    return out;
}
#endif

// Writes the forms of the units of `in` from `i` up to `stop` at `out` and returns the end of
// what it wrote; `i` ends at `stop`, or one unit past it when a surrogate pair straddles it. Needs
// three bytes of room for every unit, and kEncodingSlack more.
inline char* EncodeUnits(const unsigned short* in, std::size_t& i, std::size_t stop, char* out,
                         bool& irregular) {
#if defined(__SSE2__)
    // Eight units at a time, the last eight ending at `stop`, so that reading eight units needs a
    // text of eight. In a long text, runs of ASCII are worth the branch that finds them; in a
    // short one it would mostly be mispredicted.
    if (stop >= 8) {
        const bool longText = stop - i >= kLongText;
        while (i < stop) {
            const std::size_t at = i < stop - 8 ? i : stop - 8;
            const std::size_t skip = i - at;
            if (longText) {
                const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
                if (_mm_movemask_epi8(PlainLanes(units)) == 0xFFFF) {
                    std::uint64_t bytes = 0;
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(&bytes),
                                     _mm_packus_epi16(units, units));
                    bytes >>=
                        8 * skip;  // x86 is little-endian: the first unit's byte is the lowest
                    std::memcpy(out, &bytes, sizeof bytes);
                    out += 8 - skip;
                    i = at + 8;
                    continue;
                }
            }
            out = EncodeEightUnits(in, at, skip, out, irregular);
            i = at + 8;
        }
        return out;
    }
#endif
    while (i < stop) {
        out = EncodeUnit(in, i, out, irregular);
    }
    return out;
}

}  // namespace cmds::detail

#endif
