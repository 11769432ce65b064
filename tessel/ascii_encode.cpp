// The quotable code of byte strings: ASCII letters, digits and . : - _ / @ ; , stand for
// themselves; every other byte is written as '%' and two upper-case hexadecimal digits. The code
// therefore never contains a double quote.
#include "cmds/support/tessel.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace {

constexpr bool IsPlain(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == ':' || c == '-' || c == '_' || c == '/' || c == '@' || c == ';' || c == ',';
}

constexpr std::array<bool, 256> MakePlainTable() {
    std::array<bool, 256> plain{};
    for (unsigned c = 0; c < 256; ++c) {
        plain[c] = IsPlain(static_cast<unsigned char>(c));
    }
    return plain;
}

constexpr std::array<bool, 256> kPlain = MakePlainTable();
constexpr char kUpperHex[] = "0123456789ABCDEF";

}  // namespace

bool ConvertStringToASCIIcode(const std::string& source, std::string& target) {
    const std::size_t n = source.size();
    const unsigned char* const in = reinterpret_cast<const unsigned char*>(source.data());

    std::size_t first = 0;
    while (first < n && kPlain[in[first]]) {
        ++first;
    }
    // Most values (addresses, signatures) are plain throughout and are their own code.
    if (first == n) {
        target.assign(source);
        return true;
    }

    std::size_t size = n;
    for (std::size_t i = first; i < n; ++i) {
        if (!kPlain[in[i]]) {
            size += 2;
        }
    }

    target.clear();
    target.resize(size);
    char* out = &target[0];
    std::memcpy(out, in, first);
    out += first;
    for (std::size_t i = first; i < n; ++i) {
        const unsigned char c = in[i];
        if (kPlain[c]) {
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
