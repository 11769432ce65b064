// Conversions between UTF-8 and 16-bit units for the rows whose peer library hands out or takes
// UTF-8 while the records hold 16-bit units. Every such row uses these two functions, so that no
// row is slowed or sped by its own converter. They are written for speed: runs of ASCII go 16
// bytes at a time with SSE2, which every x86-64 has, and 8 at a time elsewhere.
//
// Well-formed UTF-8 converts exactly, surrogate pairs included. The decoder does not check
// continuation bytes or reject overlong forms, so it also reads the text's own encodings of an
// apostrophe (C0 A7) and of a lone surrogate (ED A0 80 to ED BF BF); a lead byte that starts no
// sequence, or a sequence cut short by the end, gives U+FFFD. It never reads past the end.
#ifndef CMDS_BENCH_CONVERT_H
#define CMDS_BENCH_CONVERT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cmds/cmds.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define CMDS_BENCH_SSE2 1
#endif

namespace bench {

namespace detail {

inline unsigned TrailingZeros(std::uint32_t mask) {
#if defined(__GNUC__)
    return static_cast<unsigned>(__builtin_ctz(mask));
#else
    unsigned count = 0;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++count;
    }
    return count;
#endif
}

// Widens the ASCII bytes at the start of [in, end) into `out` and returns how many there were.
// Whole blocks are stored even when they end in a byte beyond ASCII: `out` has room for as many
// units as there are bytes left, and the units past the returned count are written again.
inline std::size_t WidenAscii(const unsigned char* in, const unsigned char* end,
                              unsigned short* out) {
    const unsigned char* const start = in;
#if CMDS_BENCH_SSE2
    const __m128i zero = _mm_setzero_si128();
    while (end - in >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
        const auto high = static_cast<std::uint32_t>(_mm_movemask_epi8(bytes));
        if (high != 0) {
            return static_cast<std::size_t>(in - start) + TrailingZeros(high);
        }
        in += 16;
        out += 16;
    }
    if (end - in >= 8) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
        const auto high = static_cast<std::uint32_t>(_mm_movemask_epi8(bytes)) & 0xFF;
        if (high != 0) {
            return static_cast<std::size_t>(in - start) + TrailingZeros(high);
        }
        in += 8;
        out += 8;
    }
#else
    while (end - in >= 8) {
        std::uint64_t word;
        std::memcpy(&word, in, 8);
        if ((word & 0x8080808080808080u) != 0) {
            break;
        }
        for (int i = 0; i < 8; ++i) {
            out[i] = in[i];
        }
        in += 8;
        out += 8;
    }
#endif
    while (in < end && *in < 0x80) {
        *out++ = *in++;
    }
    return static_cast<std::size_t>(in - start);
}

// Narrows the units below 0x80 at the start of [in, end) into `out`; returns how many there were.
inline std::size_t NarrowAscii(const unsigned short* in, const unsigned short* end,
                               unsigned char* out) {
    const unsigned short* const start = in;
#if CMDS_BENCH_SSE2
    const __m128i beyondAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    while (end - in >= 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, beyondAscii), zero);
        if (_mm_movemask_epi8(ascii) != 0xFFFF) {
            break;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
        in += 8;
        out += 8;
    }
#endif
    while (in < end && *in < 0x80) {
        *out++ = static_cast<unsigned char>(*in++);
    }
    return static_cast<std::size_t>(in - start);
}

}  // namespace detail

// Writes the 16-bit units of the UTF-8 bytes [text, text + length) to `out`, which has room for
// `length` units (a byte never gives more than one), and returns how many it wrote.
inline std::size_t Utf8ToUtf16(const char* text, std::size_t length, unsigned short* out) {
    unsigned short* o = out;
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    const auto* const end = in + length;
    while (in < end) {
        const std::size_t ascii = detail::WidenAscii(in, end, o);
        in += ascii;
        o += ascii;
        if (in == end) {
            break;
        }
        const unsigned lead = *in;
        const std::ptrdiff_t left = end - in;
        if (lead >= 0xC0 && lead < 0xE0 && left >= 2) {
            *o++ = static_cast<unsigned short>(((lead & 0x1Fu) << 6) | (in[1] & 0x3Fu));
            in += 2;
        } else if (lead >= 0xE0 && lead < 0xF0 && left >= 3) {
            *o++ = static_cast<unsigned short>(((lead & 0x0Fu) << 12) | ((in[1] & 0x3Fu) << 6) |
                                               (in[2] & 0x3Fu));
            in += 3;
        } else if (lead >= 0xF0 && lead < 0xF8 && left >= 4) {
            const std::uint32_t offset = (((lead & 0x07u) << 18) | ((in[1] & 0x3Fu) << 12) |
                                          ((in[2] & 0x3Fu) << 6) | (in[3] & 0x3Fu)) -
                                         0x10000u;
            *o++ = static_cast<unsigned short>(0xD800u | ((offset >> 10) & 0x3FFu));
            *o++ = static_cast<unsigned short>(0xDC00u | (offset & 0x3FFu));
            in += 4;
        } else {
            *o++ = 0xFFFD;
            ++in;
        }
    }
    return static_cast<std::size_t>(o - out);
}

// Replaces `out` with the 16-bit units of the UTF-8 bytes [text, text + length). A short text is
// converted on the stack and assigned in one call, which costs less than sizing the string
// before and after converting in place; a long one is converted in place.
inline void AssignUtf16(const char* text, std::size_t length, cmds::wstring& out) {
    constexpr std::size_t kShort = 256;
    if (length <= kShort) {
        unsigned short units[kShort];
        out.assign(units, Utf8ToUtf16(text, length, units));
        return;
    }
    if (out.size() < length) {
        out.resize(length);
    }
    out.resize(Utf8ToUtf16(text, length, &out[0]));
}

// Writes the UTF-8 bytes of the units [units, units + length) to `out`, which has room for
// 3 * `length` bytes, and returns how many it wrote: a surrogate pair as one four-byte sequence,
// a lone surrogate as its own three-byte form.
inline std::size_t Utf16ToUtf8(const unsigned short* units, std::size_t length, char* out) {
    auto* const first = reinterpret_cast<unsigned char*>(out);
    unsigned char* o = first;
    const unsigned short* in = units;
    const unsigned short* const end = units + length;
    while (in < end) {
        const std::size_t ascii = detail::NarrowAscii(in, end, o);
        in += ascii;
        o += ascii;
        if (in == end) {
            break;
        }
        const unsigned unit = *in++;
        if (unit < 0x800) {
            *o++ = static_cast<unsigned char>(0xC0 | (unit >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        } else if (unit >= 0xD800 && unit < 0xDC00 && in < end && *in >= 0xDC00 && *in < 0xE000) {
            const std::uint32_t code = 0x10000u + ((unit - 0xD800u) << 10) + (*in++ - 0xDC00u);
            *o++ = static_cast<unsigned char>(0xF0 | (code >> 18));
            *o++ = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
        } else {
            *o++ = static_cast<unsigned char>(0xE0 | (unit >> 12));
            *o++ = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        }
    }
    return static_cast<std::size_t>(o - first);
}

}  // namespace bench

#endif
