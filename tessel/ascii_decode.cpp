// Decoding of the quotable code of byte strings: '%' and two hexadecimal digits (either case)
// stand for one byte; any other byte, a '%' without two such digits after it included, stands
// for itself.
#include "cmds/support/tessel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr unsigned char kNotHex = 0xFF;

constexpr unsigned char HexValue(unsigned char c) {
    return (c >= '0' && c <= '9')   ? static_cast<unsigned char>(c - '0')
           : (c >= 'A' && c <= 'F') ? static_cast<unsigned char>(c - 'A' + 10)
           : (c >= 'a' && c <= 'f') ? static_cast<unsigned char>(c - 'a' + 10)
                                    : kNotHex;
}

constexpr std::array<unsigned char, 256> MakeHexTable() {
    std::array<unsigned char, 256> hex{};
    for (unsigned c = 0; c < 256; ++c) {
        hex[c] = HexValue(static_cast<unsigned char>(c));
    }
    return hex;
}

constexpr std::array<unsigned char, 256> kHexValue = MakeHexTable();

// Codes up to this many bytes are decoded on the stack and given to the target in one piece.
constexpr std::size_t kStackBytes = 256;

#ifdef __SSE2__
inline unsigned PercentMask(__m128i bytes) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('%'))));
}

inline __m128i Load4(const char* s) {
    std::uint32_t word;
    std::memcpy(&word, s, sizeof word);
    return _mm_cvtsi32_si128(static_cast<int>(word));
}
#endif

// The position of the first '%' among the `n` bytes at `s`, or `n` when there is none. Texts
// shorter than a block are searched in two blocks of eight or four bytes, one from each end,
// that overlap when the text is shorter than both; the last bytes of longer texts are searched
// in the block that ends with them.
inline std::size_t FindPercent(const char* s, std::size_t n) {
#ifdef __SSE2__
    if (n >= 16) {
        std::size_t i = 0;
        for (; n - i >= 16; i += 16) {
            const unsigned mask =
                PercentMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
            if (mask != 0) {
                return i + static_cast<std::size_t>(__builtin_ctz(mask));
            }
        }
        // The bytes of the last block before `i` are known to hold no '%'.
        const unsigned mask =
            i == n ? 0 : PercentMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16)));
        return mask != 0 ? n - 16 + static_cast<std::size_t>(__builtin_ctz(mask)) : n;
    }
    unsigned head = 0;
    unsigned tail = 0;
    std::size_t width = 0;
    if (n >= 8) {
        width = 8;
        head = PercentMask(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)));
        tail = PercentMask(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + n - 8)));
    } else if (n >= 4) {
        width = 4;
        head = PercentMask(Load4(s));
        tail = PercentMask(Load4(s + n - 4));
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            if (s[i] == '%') {
                return i;
            }
        }
        return n;
    }
    // The zero bytes that fill the blocks are no '%'.
    if (head != 0) {
        return static_cast<std::size_t>(__builtin_ctz(head));
    }
    return tail != 0 ? n - width + static_cast<std::size_t>(__builtin_ctz(tail)) : n;
#else
    const void* const percent = std::memchr(s, '%', n);
    return percent != nullptr ? static_cast<std::size_t>(static_cast<const char*>(percent) - s) : n;
#endif
}

// Decodes the `n` bytes at `in`, the first '%' at `first`, into `out`, which has room for `n`
// bytes, and returns the end of the bytes written.
char* Decode(const char* in, std::size_t n, std::size_t first, char* out, bool& wellFormed) {
    std::char_traits<char>::copy(out, in, first);
    out += first;
    std::size_t i = first;
    while (i < n) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c == '%') {
            if (n - i >= 3) {
                const unsigned char hi = kHexValue[static_cast<unsigned char>(in[i + 1])];
                const unsigned char lo = kHexValue[static_cast<unsigned char>(in[i + 2])];
                if (hi != kNotHex && lo != kNotHex) {
                    *out++ = static_cast<char>((hi << 4) | lo);
                    i += 3;
                    continue;
                }
            }
            wellFormed = false;  // a '%' without two hexadecimal digits stands for itself
        }
        *out++ = static_cast<char>(c);
        ++i;
    }
    return out;
}

}  // namespace

bool ConvertASCIIcodeToString(const std::string& source, std::string& target) {
    const std::size_t n = source.size();
    const std::size_t first = FindPercent(source.data(), n);
    // Most codes hold no escape at all and stand for themselves.
    if (first == n) {
        target.assign(source);
        return true;
    }

    // The decoded form is never longer than the code.
    bool wellFormed = true;
    if (n <= kStackBytes) {
        char decoded[kStackBytes];
        const char* const end = Decode(source.data(), n, first, decoded, wellFormed);
        target.assign(decoded, static_cast<std::size_t>(end - decoded));
    } else {
        target.clear();
        target.resize(n);
        char* const begin = &target[0];
        const char* const end = Decode(source.data(), n, first, begin, wellFormed);
        target.resize(static_cast<std::size_t>(end - begin));
    }
    return wellFormed;
}
