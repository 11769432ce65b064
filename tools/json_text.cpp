#include "json_text.h"

#include <stdexcept>

namespace cmds_tool {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The value of the `digits` hexadecimal digits at `pos`, or -1 when they are not all there.
long ReadHex(std::string_view text, std::size_t pos, std::size_t digits) {
    if (pos + digits > text.size()) {
        return -1;
    }
    long value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(text[pos + i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

[[noreturn]] void BadEscape(std::string_view text, std::size_t pos, const char* expected) {
    throw std::invalid_argument("bad escape \"" + std::string(text.substr(pos, 6)) +
                                "\": '%' must start " + expected);
}

void AppendHex(std::string& out, unsigned value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        out += kHexDigits[(value >> shift) & 0xF];
    }
}

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string NarrowToJson(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7E && byte != '%') {
            out += c;
        } else {
            out += '%';
            AppendHex(out, byte, 2);
        }
    }
    return out;
}

std::string NarrowFromJson(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != '%') {
            out += text[pos];
            continue;
        }
        const long byte = ReadHex(text, pos + 1, 2);
        if (byte < 0) {
            BadEscape(text, pos, "\"%XX\" (one byte as two hexadecimal digits)");
        }
        out += static_cast<char>(byte);
        pos += 2;
    }
    return out;
}

std::string WideToJson(const cmds::wstring& units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const unsigned unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00u));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            out += "%u";
            AppendHex(out, unit, 4);
        } else if (unit == '%') {
            out += "%25";
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

cmds::wstring WideFromJson(std::string_view text) {
    cmds::wstring out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead == '%') {
            const bool wide = pos + 1 < text.size() && text[pos + 1] == 'u';
            const long unit = wide ? ReadHex(text, pos + 2, 4) : ReadHex(text, pos + 1, 2);
            if (unit < 0) {
                BadEscape(text, pos, "\"%XX\" or \"%uXXXX\" (one unit in hexadecimal)");
            }
            out += static_cast<unsigned short>(unit);
            pos += wide ? 6 : 3;
            continue;
        }
        // JSON text is valid UTF-8, so the lead byte tells the length of the sequence.
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        unsigned code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t i = 1; i < length && pos + i < text.size(); ++i) {
            code = (code << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
        }
        if (code >= 0x10000) {
            out += static_cast<unsigned short>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<unsigned short>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<unsigned short>(code);
        }
        pos += length;
    }
    return out;
}

}  // namespace cmds_tool
