// The texts the writers are made of: padded keyword texts and decimal numbers, written into a
// caller's buffer. Each Put function returns the end of what it wrote.
#ifndef CMDS_GENERATOR_PIECES_INTERNAL_H
#define CMDS_GENERATOR_PIECES_INTERNAL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "cmds/tokens/tables_internal.h"
#include "cmds/tokens/tokens.h"

namespace cmds::detail {

// The text of a keyword or punctuation token followed by ":", padded so that it is copied with
// one fixed-size move and then cut to the length needed.
struct TokenText {
    char text[16];
    std::size_t length;  // of the token's text, without the ":"
};

constexpr std::array<TokenText, kKeywordCount> MakeTokenTexts() {
    std::array<TokenText, kKeywordCount> table{};
    for (std::size_t token = 0; token < table.size(); ++token) {
        const char* const text = kKeywordTexts[token];
        TokenText& entry = table[token];
        while (text[entry.length] != '\0') {
            entry.text[entry.length] = text[entry.length];
            ++entry.length;
        }
        entry.text[entry.length] = ':';
    }
    return table;
}

// Built at compile time: a table made on first use would be checked for its initialisation on
// every key.
inline constexpr std::array<TokenText, kKeywordCount> kTokenTexts = MakeTokenTexts();

constexpr std::size_t LongestTokenText() {
    std::size_t longest = 0;
    for (const TokenText& entry : kTokenTexts) {
        longest = entry.length > longest ? entry.length : longest;
    }
    return longest;
}
static_assert(LongestTokenText() + 1 < sizeof(TokenText::text),
              "every key with its ':' fits the padded text");

// Carriage return and line feed, followed by up to three tabs for the nesting depth; padded to
// eight bytes so that a break is copied with one fixed-size move.
inline constexpr char kBreak[8] = {'\r', '\n', '\t', '\t', '\t'};

// Needs sizeof(TokenText::text) bytes of room.
inline char* PutToken(char* out, tokens::TOKEN token) {
    const TokenText& entry = kTokenTexts[static_cast<std::size_t>(token)];
    std::memcpy(out, entry.text, sizeof entry.text);
    return out + entry.length;
}

// The key with its ":"; needs sizeof(TokenText::text) bytes of room.
inline char* PutKey(char* out, tokens::TOKEN key) {
    return PutToken(out, key) + 1;
}

// The decimal digits of 00 to 99, so that a number takes one division for every two digits.
struct DigitPairs {
    char digits[200];
    constexpr DigitPairs() : digits() {
        for (std::size_t pair = 0; pair < 100; ++pair) {
            digits[2 * pair] = static_cast<char>('0' + pair / 10);
            digits[2 * pair + 1] = static_cast<char>('0' + pair % 10);
        }
    }
};
inline constexpr DigitPairs kDigitPairs{};

// The two digits of `pair`, below 100, leading zero included.
inline char* PutPair(char* out, std::uint32_t pair) {
    std::memcpy(out, &kDigitPairs.digits[std::size_t{pair} * 2], 2);
    return out + 2;
}

// Exactly four digits of `value`, below 10^4, leading zeros included.
inline char* PutFourDigits(char* out, std::uint32_t value) {
    return PutPair(PutPair(out, value / 100), value % 100);
}

// Exactly ten digits of `value`, below 10^10, leading zeros included; the last eight are found
// with 32-bit arithmetic.
inline char* PutTenDigits(char* out, std::uint64_t value) {
    constexpr std::uint64_t kEightDigits = 100000000;
    const auto low = static_cast<std::uint32_t>(value % kEightDigits);
    out = PutPair(out, static_cast<std::uint32_t>(value / kEightDigits));
    return PutFourDigits(PutFourDigits(out, low / 10000), low % 10000);
}

inline constexpr std::uint64_t kTenDigits = 10000000000;

// The number of digits of `value`, below 10^10, found without a branch.
inline std::size_t DigitCount(std::uint64_t value) {
#if defined(__GNUC__)
    // The bit length of `value` times log10(2) is the digit count or one less; one comparison with
    // a power of ten tells which. `value | 1` has the digit count of `value` and is never 0.
    static constexpr std::uint64_t kPowers[] = {1,      10,      100,      1000,      10000,
                                                100000, 1000000, 10000000, 100000000, 1000000000};
    const std::uint64_t odd = value | 1;
    const auto bits = static_cast<std::size_t>(64 - __builtin_clzll(odd));
    const std::size_t guess = bits * 1233 >> 12;
    return guess + (odd >= kPowers[guess] ? 1 : 0);
#else
    std::size_t count = 1;
    for (std::uint64_t bound = 10; bound < kTenDigits; bound *= 10) {
        count += value >= bound ? 1 : 0;
    }
    return count;
#endif
}

// Room that PutNumber needs after `out`: ten digits, and the 16-byte move from up to nine bytes
// in.
inline constexpr std::size_t kNumberRoom = 25;

// Decimal digits of `value` without sign or leading zeros; the C library's conversions are
// avoided because they depend on the locale. A number below 10^10 (nearly every one) is written
// with all ten digits and then moved over its leading zeros, because a branch on its magnitude,
// which varies from one number to the next, would mostly be mispredicted.
inline char* PutNumber(char* out, std::uint64_t value) {
    if (value >= kTenDigits) {
        return PutTenDigits(PutNumber(out, value / kTenDigits), value % kTenDigits);
    }
    PutTenDigits(out, value);
    const std::size_t zeros = 10 - DigitCount(value);
    std::memmove(out, out + zeros, 16);
    return out + 10 - zeros;
}

// Room for a padded token text, or for a key, ":" and the longest value written unquoted: a
// number, or the longest value word.
inline constexpr std::size_t kTagRoom = 40;
static_assert(kTagRoom >= sizeof(TokenText::text) &&
                  kTagRoom >= LongestTokenText() + 1 + kNumberRoom,
              "a tag fits its room");

// Narrows the `count` units at `in` to one byte each at `out` and tells whether every unit was
// ASCII other than the apostrophe; otherwise what it wrote is of no use. Writes exactly `count`
// bytes.
inline bool NarrowPlain(const unsigned short* in, std::size_t count, char* out) {
#if defined(__SSE2__)
    // Every x86-64 processor has SSE2: eight units are narrowed and tested at once, the last eight
    // ending at the last unit, and the test of all of them is one branch at the end.
    if (count >= 8) {
        const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
        const __m128i apostrophe = _mm_set1_epi16(0x27);
        __m128i other = _mm_setzero_si128();
        const auto take = [&](std::size_t at) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
            other = _mm_or_si128(other, _mm_and_si128(units, high));
            other = _mm_or_si128(other, _mm_cmpeq_epi16(units, apostrophe));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at), _mm_packus_epi16(units, units));
        };
        for (std::size_t at = 0; at + 8 < count; at += 8) {
            take(at);
        }
        take(count - 8);
        return _mm_movemask_epi8(_mm_cmpeq_epi16(other, _mm_setzero_si128())) == 0xFFFF;
    }
#endif
    unsigned other = 0;
    for (std::size_t at = 0; at < count; ++at) {
        const unsigned unit = in[at];
        other |= (unit & 0xFF80U) | static_cast<unsigned>(unit == 0x27);
        out[at] = static_cast<char>(unit);
    }
    return other == 0;
}

// A null text (a value without a name) copies nothing.
inline char* PutText(char* out, const char* text) {
    if (text != nullptr) {
        while (*text != '\0') {
            *out++ = *text++;
        }
    }
    return out;
}

}  // namespace cmds::detail

#endif
