// Decimal digits eight at a time, both ways: the writer's conversion of a number to its digits
// and the reader's of digits to a number, without the C library, whose conversions depend on the
// locale. Eight digits travel as the bytes of one 64-bit integer, the first digit in its lowest
// byte whatever the machine's byte order.
#ifndef CMDS_SUPPORT_DECIMAL_INTERNAL_H
#define CMDS_SUPPORT_DECIMAL_INTERNAL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace cmds::detail {

inline constexpr std::array<std::uint64_t, 11> kPowersOfTen = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000};

// Stores the eight bytes of `bytes` at `out`, the lowest first.
inline void PutLowBytesFirst(char* out, std::uint64_t bytes) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    bytes = __builtin_bswap64(bytes);
#endif
    std::memcpy(out, &bytes, sizeof bytes);
}

// The eight bytes at `at` as an integer whose lowest byte is the first.
inline std::uint64_t LoadLowBytesFirst(const char* at) {
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, at, sizeof bytes);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    bytes = __builtin_bswap64(bytes);
#endif
    return bytes;
}

// The two decimal digits of each number below 100, the first in the lower byte.
constexpr std::array<std::uint16_t, 100> MakeDigitPairs() {
    std::array<std::uint16_t, 100> pairs{};
    for (unsigned value = 0; value < pairs.size(); ++value) {
        pairs[value] = static_cast<std::uint16_t>(('0' + value / 10) | ('0' + value % 10) << 8);
    }
    return pairs;
}

inline constexpr std::array<std::uint16_t, 100> kDigitPairs = MakeDigitPairs();

// The eight decimal digits of `value`, below 10^8, leading zeros included, as the bytes of an
// integer whose lowest byte is the first digit. Each step splits every lane of the integer into a
// quotient and a remainder at once, dividing by multiplying: two lanes of four digits, then four
// of two, then eight of one.
inline std::uint64_t EightDigits(std::uint32_t value) {
    std::uint64_t lanes = value / 10000 | std::uint64_t{value % 10000} << 32;
    std::uint64_t quotients = (lanes * 10486 >> 20) & 0x0000007F0000007FU;  // lane / 100
    lanes = quotients | (lanes - quotients * 100) << 16;
    quotients = (lanes * 103 >> 10) & 0x000F000F000F000FU;  // lane / 10
    lanes = quotients | (lanes - quotients * 10) << 8;
    return lanes | 0x3030303030303030U;
}

// How many of the eight bytes at `at` are decimal digits before the first that is not, and their
// value in `value`.
inline std::size_t LeadingDigits(const char* at, std::uint64_t& value) {
    const std::uint64_t bytes = LoadLowBytesFirst(at);
    // A digit is 0x3?, and adding 6 leaves it 0x3?; the carry out of a byte that is not a digit
    // only reaches bytes after it.
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u;
    constexpr std::uint64_t kZeros = 0x3030303030303030u;
    const std::uint64_t others =
        ((bytes & kHigh) ^ kZeros) | (((bytes + 0x0606060606060606u) & kHigh) ^ kZeros);
#if defined(__GNUC__)
    const std::size_t digits =
        others == 0 ? 8 : static_cast<std::size_t>(__builtin_ctzll(others)) / 8;
#else
    std::size_t digits = 0;
    while (digits < 8 && (others >> (8 * digits) & 0xFF) == 0) {
        ++digits;
    }
#endif
    if (digits == 0) {
        value = 0;
        return 0;
    }
    // The digits, first in the lowest byte, moved to the top so that the bytes below are leading
    // zeros; then pairs, fours and eights of digits are combined.
    std::uint64_t v = (bytes - kZeros) << (8 * (8 - digits));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
         (((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >>
        32;
    value = v;
    return digits;
}

}  // namespace cmds::detail

#endif
