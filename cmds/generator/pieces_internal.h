// The texts the writers are made of: padded keyword texts and decimal numbers, written into a
// caller's buffer. Each Put function returns the end of what it wrote.
#ifndef CMDS_GENERATOR_PIECES_INTERNAL_H
#define CMDS_GENERATOR_PIECES_INTERNAL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cmds/support/decimal_internal.h"
#include "cmds/support/utf8_encode_internal.h"
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
        TokenText& entry = table[token];
        entry.length = kKeywordLengths[token];
        for (std::size_t i = 0; i < entry.length; ++i) {
            entry.text[i] = kKeywordTexts[token][i];
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

// Room for a padded token text.
inline constexpr std::size_t kTokenRoom = sizeof(TokenText::text);

// Needs kTokenRoom.
inline char* PutToken(char* out, tokens::TOKEN token) {
    const TokenText& entry = kTokenTexts[static_cast<std::size_t>(token)];
    std::memcpy(out, entry.text, sizeof entry.text);
    return out + entry.length;
}

// The key with its ":"; needs kTokenRoom.
inline char* PutKey(char* out, tokens::TOKEN key) {
    return PutToken(out, key) + 1;
}

// The last `count` (1 to 10) of the ten digits of `value`, below 10^10, leading zeros included.
// The first two digits and the other eight are each stored whole, shifted past the digits left
// out; when the first two are all left out, the eight overwrite them. Needs ten bytes of room.
inline char* PutLastDigits(char* out, std::uint64_t value, std::size_t count) {
    constexpr std::uint64_t kEightDigits = kPowersOfTen[8];
    const auto first = static_cast<std::uint32_t>(value / kEightDigits);
    const std::uint64_t firstTwo = kDigitPairs[first];
    const std::size_t skipped = 10 - count;
    const std::size_t skippedOfTwo = skipped < 2 ? skipped : 2;
    PutLowBytesFirst(out, firstTwo >> (8 * skippedOfTwo));
    PutLowBytesFirst(out + 2 - skippedOfTwo,
                     EightDigits(static_cast<std::uint32_t>(value % kEightDigits)) >>
                         (8 * (skipped - skippedOfTwo)));
    return out + count;
}

inline constexpr std::uint64_t kTenDigits = kPowersOfTen[10];

// The number of digits of `value`, below 10^10, found without a branch.
inline std::size_t DigitCount(std::uint64_t value) {
#if defined(__GNUC__)
    // The bit length of `value` times log10(2) is the digit count or one less; one comparison with
    // a power of ten tells which. `value | 1` has the digit count of `value` and is never 0.
    const std::uint64_t odd = value | 1;
    const auto bits = static_cast<std::size_t>(64 - __builtin_clzll(odd));
    const std::size_t guess = bits * 1233 >> 12;
    return guess + (odd >= kPowersOfTen[guess] ? 1 : 0);
#else
    std::size_t count = 1;
    for (std::uint64_t bound = 10; bound < kTenDigits; bound *= 10) {
        count += value >= bound ? 1 : 0;
    }
    return count;
#endif
}

// Room that PutNumber needs after `out`: twenty digits.
inline constexpr std::size_t kNumberRoom = 20;

// Decimal digits of `value` without sign or leading zeros; the C library's conversions are
// avoided because they depend on the locale. The digits are stored without a branch on the
// magnitude of the number, which varies from one number to the next and would mostly be
// mispredicted, and without reading back what was stored.
inline char* PutNumber(char* out, std::uint64_t value) {
    if (value >= kTenDigits) {
        return PutLastDigits(PutNumber(out, value / kTenDigits), value % kTenDigits, 10);
    }
    return PutLastDigits(out, value, DigitCount(value));
}

// Room for a padded token text, or for a key, ":" and the longest value written unquoted: a
// number, or the longest value word.
inline constexpr std::size_t kTagRoom = 48;
static_assert(kTagRoom >= sizeof(TokenText::text) &&
                  kTagRoom >= LongestTokenText() + 1 + kNumberRoom,
              "a tag fits its room");

// Room for a key, ":" and a quoted text of `count` units: three bytes for each at most, and the
// bytes that encoding them may write beyond their form.
inline std::size_t TextTagRoom(std::size_t count) {
    return kTagRoom + 3 * count;
}
static_assert(kTagRoom >= LongestTokenText() + 1 + 2 + kEncodingSlack,
              "a text's encoding fits its room");

// Asks for the memory at `address` to be brought into the cache ahead of its use.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    static_cast<void>(address);
#endif
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
