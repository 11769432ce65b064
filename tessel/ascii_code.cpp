// The quotable code of byte strings.
//
// ASCII letters, digits and . : - _ / @ ; , stand for themselves; every other byte is written as
// '%' and two upper-case hexadecimal digits. The code therefore never contains a double quote.
#include "cmds/support/tessel.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace {

constexpr bool IsPlain(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == ':' || c == '-' || c == '_' || c == '/' || c == '@' || c == ';' || c == ',';
}

constexpr signed char HexValue(unsigned char c) {
    return (c >= '0' && c <= '9')   ? static_cast<signed char>(c - '0')
           : (c >= 'A' && c <= 'F') ? static_cast<signed char>(c - 'A' + 10)
           : (c >= 'a' && c <= 'f') ? static_cast<signed char>(c - 'a' + 10)
                                    : static_cast<signed char>(-1);
}

struct Tables {
    std::array<bool, 256> plain{};
    std::array<signed char, 256> hex{};
    constexpr Tables() {
        for (unsigned c = 0; c < 256; ++c) {
            plain[c] = IsPlain(static_cast<unsigned char>(c));
            hex[c] = HexValue(static_cast<unsigned char>(c));
        }
    }
};

constexpr Tables kTables{};
constexpr char kUpperHex[] = "0123456789ABCDEF";

}  // namespace

bool ConvertStringToASCIIcode(const std::string& source, std::string& target) {
    const std::size_t n = source.size();
    const unsigned char* const in = reinterpret_cast<const unsigned char*>(source.data());

    std::size_t first = 0;
    while (first < n && kTables.plain[in[first]]) {
        ++first;
    }
    // Most values (addresses, signatures) are plain throughout and are their own code.
    if (first == n) {
        target.assign(source);
        return true;
    }

    std::size_t size = n;
    for (std::size_t i = first; i < n; ++i) {
        if (!kTables.plain[in[i]])
            size += 2;
    }

    target.clear();
    target.resize(size);
    char* out = &target[0];
    std::memcpy(out, in, first);
    out += first;
    for (std::size_t i = first; i < n; ++i) {
        const unsigned char c = in[i];
        if (kTables.plain[c]) {
            *out++ = static_cast<char>(c);
        } else {
            out[0] = '%';
            out[1] = kUpperHex[c >> 4];
            out[2] = kUpperHex[c & 0x0F];
            out += 3;
        }
    }
    return true;
}

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
                const int hi = kTables.hex[in[i + 1]];
                const int lo = kTables.hex[in[i + 2]];
                if (hi >= 0 && lo >= 0) {
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
