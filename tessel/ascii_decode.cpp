// Decoding of the quotable code of byte strings: '%' and two hexadecimal digits (either case)
// stand for one byte; any other byte, a '%' without two such digits after it included, stands
// for itself.
#include "cmds/support/tessel.h"

#include <array>
#include <cstddef>

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

}  // namespace

bool ConvertASCIIcodeToString(const std::string& source, std::string& target) {
    // Most codes hold no escape at all and stand for themselves.
    if (source.find('%') == std::string::npos) {
        target.assign(source);
        return true;
    }
    const std::size_t n = source.size();
    const unsigned char* const in = reinterpret_cast<const unsigned char*>(source.data());

    // The decoded form is never longer than the code.
    target.clear();
    target.resize(n);
    char* const begin = &target[0];
    char* out = begin;
    bool wellFormed = true;

    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = in[i];
        if (c == '%') {
            if (n - i >= 3) {
                const unsigned char hi = kHexValue[in[i + 1]];
                const unsigned char lo = kHexValue[in[i + 2]];
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

    target.resize(static_cast<std::size_t>(out - begin));
    return wellFormed;
}
