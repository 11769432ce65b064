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
constexpr std::size_t kEncodingSlack = 32;

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
// are written whatever the form's length. Nothing branches on the length of the form, which
// varies from unit to unit in most texts and would mostly be mispredicted; only surrogates and
// the apostrophe, rare in most texts, take branches of their own. A caller that knows the unit to
// be marked, beyond ASCII or an apostrophe, leaves out the test for a unit that stands for itself.
template <bool kMayStandForItself = true>
inline char* EncodeUnit(const unsigned short* in, std::size_t& i, char* out, bool& irregular) {
    const unsigned u = in[i];
    const unsigned next = in[i + 1];
    const bool plain = kMayStandForItself && u < 0x80 && u != 0x27;
    const bool pair = IsHighSurrogate(u) && IsLowSurrogate(next);
    const bool surrogate = (u & 0xF800) == 0xD800;
    if (u == 0x27 || (surrogate && !pair)) {
        irregular = true;
    }
    const unsigned cp = pair ? 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00) : u;
    // Bytes after the first two of a form beyond one byte: none below 0x800 (the apostrophe too),
    // one for any other single unit, an unpaired surrogate included, two for a pair.
    const unsigned extra = (u >= 0x800 ? 1U : 0U) + (pair ? 1U : 0U);
    // The four-byte form, first byte lowest; a shorter form is its last bytes, the first of them
    // given the rest of its lead's marker.
    const unsigned four = (0xF0U | cp >> 18) | (0x80U | (cp >> 12 & 0x3F)) << 8 |
                          (0x80U | (cp >> 6 & 0x3F)) << 16 | (0x80U | (cp & 0x3F)) << 24;
    const unsigned form = four >> (16 - 8 * extra) | (0x6040U >> (8 * extra) & 0xFF);
    out[0] = static_cast<char>(plain ? u : form);
    out[1] = static_cast<char>(form >> 8);
    out[2] = static_cast<char>(form >> 16);
    out[3] = static_cast<char>(form >> 24);
    i += pair ? 2 : 1;
    return out + (plain ? 1 : 2 + extra);
}

// Most texts hold few units beyond ASCII. A text is narrowed to a byte a unit, which is its whole
// form when every unit stands for itself, and the units that do not are marked on the way. When
// few are marked, each marked unit, or surrogate pair, is encoded on its own and the runs between
// them are copied from the narrowed bytes: far fewer steps than making the form of every unit, and
// branches that follow the marked units, which are few. When many are marked, the forms of eight
// units are made at once without a branch on their kinds.

// Units of a round: one bit each in the round's mask.
constexpr std::size_t kRoundUnits = 64;

// Bytes copied at once from a round's narrowed units.
constexpr std::size_t kCopyBytes = 32;

// The units of a round narrowed to a byte each, with room for copying kCopyBytes from any of
// them and from the one past the last; the mask of the units that do not stand for themselves,
// lowest bit first; whether any is an apostrophe.
struct NarrowedRound {
    alignas(16) char bytes[kRoundUnits + 1 + kCopyBytes];
    std::uint64_t marked;
    bool apostrophe;
};

#if defined(__SSE2__)
// Every 16-bit lane holding `value`.
inline __m128i Lanes(int value) {
    return _mm_set1_epi16(static_cast<short>(value));
}

// All ones in each lane whose unit stands for itself: ASCII other than the apostrophe.
inline __m128i PlainLanes(__m128i units) {
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, Lanes(0xFF80)), _mm_setzero_si128());
    return _mm_andnot_si128(_mm_cmpeq_epi16(units, Lanes(0x27)), ascii);
}

// The units of `low` and then `high` narrowed to a byte each: a unit below 0x80 to itself, any
// other to a byte with its high bit set. Unsigned saturation sets that bit for units up to 0x7FFF
// and signed saturation for those above.
inline __m128i NarrowedBytes(__m128i low, __m128i high) {
    return _mm_or_si128(_mm_packus_epi16(low, high), _mm_packs_epi16(low, high));
}
#endif

// Narrows the `count` units at `in`, at most kRoundUnits, to `out` and to round.bytes, and marks
// those that do not stand for themselves. A marked unit's byte is not its own.
inline void NarrowRound(const unsigned short* in, std::size_t count, char* out,
                        NarrowedRound& round) {
    round.marked = 0;
#if defined(__SSE2__)
    // Every x86-64 processor has SSE2: sixteen units at a time, or eight in a round shorter than
    // sixteen, the last block ending at the last unit.
    if (count >= 8) {
        std::uint32_t apostrophes = 0;
        const auto mark = [&](__m128i bytes, std::size_t at) {
            const auto quotes = static_cast<std::uint32_t>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\''))));
            apostrophes |= quotes;
            round.marked |=
                std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(bytes)) | quotes} << at;
        };
        const auto load = [in](std::size_t at) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
        };
        if (count >= 16) {
            const auto take = [&](std::size_t at) {
                const __m128i bytes = NarrowedBytes(load(at), load(at + 8));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), bytes);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(round.bytes + at), bytes);
                mark(bytes, at);
            };
            for (std::size_t at = 0; at + 16 < count; at += 16) {
                take(at);
            }
            take(count - 16);
        } else {
            const auto take = [&](std::size_t at) {
                const __m128i bytes = NarrowedBytes(load(at), _mm_setzero_si128());
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at), bytes);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(round.bytes + at), bytes);
                mark(bytes, at);
            };
            take(0);
            take(count - 8);
        }
        round.apostrophe = apostrophes != 0;
        return;
    }
#endif
    bool apostrophe = false;
    for (std::size_t at = 0; at < count; ++at) {
        const unsigned unit = in[at];
        out[at] = round.bytes[at] = static_cast<char>(unit);
        apostrophe |= unit == 0x27;
        round.marked |= std::uint64_t{unit >= 0x80 || unit == 0x27} << at;
    }
    round.apostrophe = apostrophe;
}

// The position of the lowest set bit of `mask`, which is not 0.
inline std::size_t LowestSetBit(std::uint64_t mask) {
#if defined(__GNUC__)
    return static_cast<std::size_t>(__builtin_ctzll(mask));
#else
    std::size_t bit = 0;
    while ((mask >> bit & 1) == 0) {
        ++bit;
    }
    return bit;
#endif
}

// Copies the `count` bytes at `from` to `out`, kCopyBytes at a time; up to kCopyBytes - 1 bytes
// beyond them are read and written, and kCopyBytes when `count` is 0.
inline char* CopyRun(char* out, const char* from, std::size_t count) {
    std::memcpy(out, from, kCopyBytes);
    for (std::size_t done = kCopyBytes; done < count; done += kCopyBytes) {
        std::memcpy(out + done, from + done, kCopyBytes);
    }
    return out + count;
}

// Writes the forms of the `count` units of a round at in[i], narrowed at `out` with some marked,
// from its first marked unit on, one marked unit at a time, and returns the end of what it wrote.
// Moves `i` past the round, and one unit further when a surrogate pair straddles its end.
inline char* EncodeMarkedUnits(const unsigned short* in, std::size_t& i, std::size_t count,
                               const NarrowedRound& round, char* out, bool& irregular) {
    in += i;
    std::uint64_t marked = round.marked;
    std::size_t next = LowestSetBit(marked);
    out += next;
    while (marked != 0) {
        const std::size_t unit = LowestSetBit(marked);
        out = CopyRun(out, round.bytes + next, unit - next);
        next = unit;
        out = EncodeUnit<false>(in, next, out, irregular);
        marked &= next >= kRoundUnits ? 0 : ~std::uint64_t{0} << next;
    }
    const std::size_t left = next < count ? count - next : 0;
    i += next + left;
    return CopyRun(out, round.bytes + next, left);
}

#if defined(__SSE2__)
inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// All ones in each lane holding a surrogate of the kind that `first` begins: 0xD800 the high ones,
// 0xDC00 the low ones.
inline __m128i SurrogateLanes(__m128i units, int first) {
    return _mm_cmpeq_epi16(_mm_and_si128(units, Lanes(0xFC00)), Lanes(first));
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

// Whether a round of eight units or more has so many marked units that making the forms of eight
// units at once takes fewer steps than encoding each marked unit on its own: more than one in
// four. Rounds with one or two marked units, by far the most common, are told without counting.
inline bool IsDense(std::uint64_t marked, std::size_t count) {
    const std::uint64_t beyondFirst = marked & (marked - 1);
    if ((beyondFirst & (beyondFirst - 1)) == 0) {
        return false;
    }
    std::uint64_t bits = marked - (marked >> 1 & 0x5555555555555555U);
    bits = (bits & 0x3333333333333333U) + (bits >> 2 & 0x3333333333333333U);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0FU;
    return 4 * ((bits * 0x0101010101010101U) >> 56) > count;
}

// Writes the forms of every unit from in[i] up to `stop`, eight at a time, the last eight ending
// at `stop`, and moves `i` to `stop`, or one unit past it when a surrogate pair straddles it.
// Needs eight units from in[i] on. Kept out of line: the rounds that take it are few, and inlined
// it would keep the rest of its caller from being inlined.
[[gnu::noinline]] inline char* EncodeEightAtATime(const unsigned short* in, std::size_t& i,
                                                  std::size_t stop, char* out, bool& irregular) {
    // A pair straddling `stop` is encoded whole, as the other ways of encoding take it; eight
    // units with one such pair are encoded one by one.
    const bool straddles = IsHighSurrogate(in[stop - 1]) && IsLowSurrogate(in[stop]);
    const std::size_t end = !straddles ? stop : stop - i > 8 ? stop - 1 : i;
    while (i < end) {
        const std::size_t at = i < end - 8 ? i : end - 8;
        out = EncodeEightUnits(in, at, i - at, out, irregular);
        i = at + 8;
    }
    while (i < stop) {
        out = EncodeUnit(in, i, out, irregular);
    }
    return out;
}
#endif

// Writes the forms of the units from in[i] up to `stop`, the first `count` of which are narrowed
// at `out` in `round`, with some marked, and returns the end of what it wrote. Moves `i` past the
// units it took: those of the round, or every unit up to `stop`, and one unit further when a
// surrogate pair straddles the end of what it took.
inline char* EncodeRound(const unsigned short* in, std::size_t& i, std::size_t stop,
                         std::size_t count, const NarrowedRound& round, char* out,
                         bool& irregular) {
#if defined(__SSE2__)
    if (count >= 8 && IsDense(round.marked, count)) {
        return EncodeEightAtATime(in, i, stop, out, irregular);
    }
#else
    static_cast<void>(stop);
#endif
    return EncodeMarkedUnits(in, i, count, round, out, irregular);
}

// Writes the forms of the units of `in` from `i` up to `stop` at `out` and returns the end of
// what it wrote; `i` ends at `stop`, or one unit past it when a surrogate pair straddles it. Needs
// three bytes of room for every unit, and kEncodingSlack more.
inline char* EncodeUnits(const unsigned short* in, std::size_t& i, std::size_t stop, char* out,
                         bool& irregular) {
    while (i < stop) {
        const std::size_t count = stop - i < kRoundUnits ? stop - i : kRoundUnits;
        NarrowedRound round;
        NarrowRound(in + i, count, out, round);
        if (round.marked == 0) {
            out += count;
            i += count;
        } else {
            out = EncodeRound(in, i, stop, count, round, out, irregular);
        }
    }
    return out;
}

}  // namespace cmds::detail

#endif
