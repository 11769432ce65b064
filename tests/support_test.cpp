// Tests of the default support library tessel: UTF-8 conversion, the quotable ASCII
// code and the password signature.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cmds/support/tessel.h"

namespace {

using WString = std::basic_string<unsigned short>;

// An empty initializer list has a null begin(), which the string constructors would hand to
// memcpy (undefined behaviour), hence the test for empty.
WString W(std::initializer_list<unsigned short> u) {
    return u.size() ? WString(u) : WString();
}
std::string B(std::initializer_list<unsigned char> b) {
    return b.size() ? std::string(b.begin(), b.end()) : std::string();
}

// The target starts with content that the conversion must replace.
std::string Encode(const WString& s) {
    std::string out = "old";
    const int written = ConvertUnicodeToUTF8(s, out);
    EXPECT_EQ(written, static_cast<int>(out.size()));
    return out;
}

void ExpectRoundTrip(const WString& s) {
    const std::string bytes = Encode(s);
    ASSERT_EQ(bytes.find('\''), std::string::npos);
    WString back = W({'o', 'l', 'd'});
    ASSERT_EQ(ConvertUTF8ToUnicode(bytes, back), 0);
    ASSERT_EQ(back, s);
}

// ---- UTF-8 ----------------------------------------------------------------------------------

// Written and read (1), only read (0), or read as malformed (-1) with U+FFFD per bad byte.
TEST(Utf8Test, ExactForms) {
    constexpr int kWritten = 1, kRead = 0, kMalformed = -1;
    const std::tuple<WString, std::string, int> forms[] = {
        {W({}), B({}), kWritten},
        {W({'a', 0x0000, 'b'}), B({'a', 0x00, 'b'}), kWritten},
        {W({'a', 0x0027, 'b'}), B({'a', 0xC0, 0xA7, 'b'}), kWritten},  // the apostrophe, overlong
        {W({0x007F}), B({0x7F}), kWritten},
        {W({0x0080}), B({0xC2, 0x80}), kWritten},
        {W({0x07FF}), B({0xDF, 0xBF}), kWritten},
        {W({0x0800}), B({0xE0, 0xA0, 0x80}), kWritten},
        {W({0xFFFF}), B({0xEF, 0xBF, 0xBF}), kWritten},
        {W({0xD800, 0xDC00}), B({0xF0, 0x90, 0x80, 0x80}), kWritten},
        {W({0xDBFF, 0xDFFF}), B({0xF4, 0x8F, 0xBF, 0xBF}), kWritten},
        {W({0xD800}), B({0xED, 0xA0, 0x80}), kWritten},            // lone high surrogate
        {W({0xDBFF, 'x'}), B({0xED, 0xAF, 0xBF, 'x'}), kWritten},  // high not followed by a low
        {W({0xDC00, 0xD800}), B({0xED, 0xB0, 0x80, 0xED, 0xA0, 0x80}), kWritten},
        {W({0xD800, 0xD800, 0xDC00}), B({0xED, 0xA0, 0x80, 0xF0, 0x90, 0x80, 0x80}), kWritten},
        {W({0x0027}), B({0x27}), kRead},
        {W({0xD83D, 0xDE00}), B({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}), kRead},  // pair, 3+3 bytes
        {W({'a', 0xFFFD, 'b'}), B({'a', 0xBF, 'b'}), kMalformed},  // stray continuation byte
        {W({0xFFFD, 'A'}), B({0xC2, 'A'}), kMalformed},            // truncated
        {W({0xFFFD, 0xFFFD, 'A'}), B({0xE2, 0x82, 'A'}), kMalformed},
        {W({0xFFFD, 0xFFFD, 0xFFFD}), B({0xF0, 0x9F, 0x98}), kMalformed},
        {W({0xFFFD, 0xFFFD, 0xFFFD, 'A'}), B({0xF0, 0x9F, 0x98, 'A'}), kMalformed},
        {W({0xFFFD, 0xFFFD}), B({0xC0, 0x80}), kMalformed},  // overlong other than C0 A7
        {W({0xFFFD, 0xFFFD}), B({0xC1, 0xBF}), kMalformed},
        {W({0xFFFD, 0xFFFD, 0xFFFD}), B({0xE0, 0x9F, 0xBF}), kMalformed},
        {W({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}), B({0xF0, 0x8F, 0xBF, 0xBF}), kMalformed},
        {W({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}), B({0xF4, 0x90, 0x80, 0x80}), kMalformed},  // > 10FFFF
        {W({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}), B({0xF5, 0x80, 0x80, 0x80}), kMalformed},
        {W({0xE9, 0xFFFD, 0xE9}), B({0xC3, 0xA9, 0xFF, 0xC3, 0xA9}), kMalformed},  // resumes
    };
    for (const auto& [units, bytes, form] : forms) {
        if (form == kWritten) {
            EXPECT_EQ(Encode(units), bytes);
        }
        WString read = W({'o', 'l', 'd'});
        EXPECT_EQ(ConvertUTF8ToUnicode(bytes, read), form == kMalformed ? -1 : 0);
        EXPECT_EQ(read, units);
    }
}

TEST(Utf8Test, EverySingleUnitRoundTrips) {
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        SCOPED_TRACE(u);
        ExpectRoundTrip(WString(1, static_cast<unsigned short>(u)));
    }
}

// Units are encoded in groups of eight, the last group of a text overlapping the one before, in
// rounds of 128 units, and runs of ASCII are looked for in texts from 64 units: one unit of each
// kind at every place of texts around those sizes, a pair across groups and rounds too.
TEST(Utf8Test, OneUnitAtEveryPlaceOfAnAsciiRun) {
    const WString kinds[] = {W({'b'}),    W({0x0000}),         W({0x0027}),        W({0x0080}),
                             W({0x07FF}), W({0x0800}),         W({0xFFFF}),        W({0xD83D}),
                             W({0xDE00}), W({0xD83D, 0xDE00}), W({0xDE00, 0xD83D})};
    for (std::size_t length : {7, 8, 9, 15, 16, 17, 24, 63, 64, 65, 127, 128, 129, 130, 300}) {
        for (const WString& kind : kinds) {
            for (std::size_t at = 0; at + kind.size() <= length; ++at) {
                SCOPED_TRACE(testing::Message() << length << " " << at << " " << kind[0]);
                WString text(length, 'a');
                text.replace(at, kind.size(), kind);
                const std::size_t after = length - at - kind.size();
                EXPECT_EQ(Encode(text),
                          std::string(at, 'a') + Encode(kind) + std::string(after, 'a'));
                ExpectRoundTrip(text);
            }
        }
    }
}

// ASCII is widened in blocks of up to sixteen bytes: each sequence, well formed or not, at every
// place of ASCII texts around those sizes decodes as it does alone, also where it straddles a
// block or is cut short by the end of the text.
TEST(Utf8Test, OneSequenceAtEveryPlaceOfAnAsciiRun) {
    const std::pair<std::string, WString> pieces[] = {
        {B({0xC3, 0xA9}), W({0xE9})},
        {B({0xC0, 0xA7}), W({0x27})},
        {B({0xE2, 0x82, 0xAC}), W({0x20AC})},
        {B({0xED, 0xA0, 0x80}), W({0xD800})},
        {B({0xF0, 0x9F, 0x98, 0x80}), W({0xD83D, 0xDE00})},
        {B({0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xC0, 0xA7}), W({0xE9, 0x20AC, 0x27})},
        {B({0x80}), W({0xFFFD})},
        {B({0xC2}), W({0xFFFD})},
        {B({0xC0}), W({0xFFFD})},
        {B({0xE2, 0x82}), W({0xFFFD, 0xFFFD})},
        {B({0xF0, 0x9F, 0x98}), W({0xFFFD, 0xFFFD, 0xFFFD})},
        {B({0xC0, 0x80}), W({0xFFFD, 0xFFFD})},
        {B({0xE0, 0x9F, 0xBF}), W({0xFFFD, 0xFFFD, 0xFFFD})},
        {B({0xF4, 0x90, 0x80, 0x80}), W({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
        {B({0xFF, 0xC3, 0xA9}), W({0xFFFD, 0xE9})},
    };
    for (std::size_t length : {3, 4, 5, 7, 8, 9, 11, 12, 13, 15, 16, 17, 31, 32, 33, 300}) {
        for (const auto& [piece, units] : pieces) {
            const bool malformed = std::find(units.begin(), units.end(), 0xFFFD) != units.end();
            for (std::size_t at = 0; at + piece.size() <= length; ++at) {
                SCOPED_TRACE(testing::Message() << length << " " << at << " " << units[0]);
                std::string text(length, 'a');
                text.replace(at, piece.size(), piece);
                const std::size_t after = length - at - piece.size();
                WString read = W({'o', 'l', 'd'});
                EXPECT_EQ(ConvertUTF8ToUnicode(text, read), malformed ? -1 : 0);
                EXPECT_EQ(read, WString(at, 'a') + units + WString(after, 'a'));
            }
        }
    }
}

// The form of each unit, or surrogate pair, on its own: the apostrophe's is C0 A7.
std::string FormOfEachUnit(const WString& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00U);
        }
        const auto put = [&out](unsigned byte) { out += static_cast<char>(byte); };
        if (cp < 0x80 && cp != 0x27) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | cp >> 6);
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | cp >> 12);
            put(0x80 | (cp >> 6 & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | cp >> 18);
            put(0x80 | (cp >> 12 & 0x3F));
            put(0x80 | (cp >> 6 & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// Texts up to past two rounds of the encoder, each stretch of 32 units with its own share of units
// beyond ASCII, from one in forty to all, so that sparse and dense stretches meet anywhere and
// pairs and lone surrogates fall at every place.
TEST(Utf8Test, RandomTextsOfEveryDensity) {
    std::mt19937 rng(20240517);
    const unsigned short special[] = {0x0000, 0x0027, 0x007F, 0x0080, 0x00FF, 0x0100,
                                      0x0127, 0x07FF, 0x0800, 0x7FFF, 0x8000, 0x8027,
                                      0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFD, 0xFFFF};
    const unsigned oneIn[] = {40, 8, 4, 2, 1};
    for (int n = 0; n < 5000; ++n) {
        WString s(rng() % 300, 0);
        unsigned share = 1;
        for (std::size_t at = 0; at < s.size(); ++at) {
            if (at % 32 == 0) {
                share = oneIn[rng() % std::size(oneIn)];
            }
            const std::mt19937::result_type forms[] = {special[rng() % std::size(special)],
                                                       0xD800 + rng() % 0x800u, rng() % 0x10000u};
            s[at] =
                static_cast<unsigned short>(rng() % share == 0 ? forms[rng() % 3] : rng() % 0x80u);
        }
        SCOPED_TRACE(n);
        EXPECT_EQ(Encode(s), FormOfEachUnit(s));
        ExpectRoundTrip(s);
    }
}

// ---- ASCII code -----------------------------------------------------------------------------

TEST(AsciiCodeTest, EverySingleByte) {
    for (unsigned c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') ||
                           std::string(".:-_/@;,").find(one) != std::string::npos;
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", c);
        std::string code = "old", back = "old";
        EXPECT_TRUE(ConvertStringToASCIIcode(one, code));
        EXPECT_EQ(code, plain ? one : std::string(escaped)) << c;
        EXPECT_TRUE(ConvertASCIIcodeToString(code, back));
        EXPECT_EQ(back, one) << c;
    }
}

// Written and read (1), only read (0), or read as malformed (-1): a '%' without two hex digits
// stands for itself.
TEST(AsciiCodeTest, ExactForms) {
    const std::tuple<std::string, std::string, int> forms[] = {
        {"", "", 1},
        {"user@host.org:80/x;y,z", "user@host.org:80/x;y,z", 1},
        {"a b\xC3\xA9", "a%20b%C3%A9", 1},
        {"Ajj", "%41%6a%6A", 0},    // hex digits of either case
        {"a b\"'~", "a b\"'~", 0},  // other bytes stand for themselves
        {"%", "%", -1},
        {"%4", "%4", -1},
        {"%G1", "%G1", -1},
        {"%1G", "%1G", -1},
        {"%A", "%%41", -1},
    };
    for (const auto& [plain, code, form] : forms) {
        std::string out = "old";
        if (form == 1) {
            EXPECT_TRUE(ConvertStringToASCIIcode(plain, out));
            EXPECT_EQ(out, code);
        }
        EXPECT_EQ(ConvertASCIIcodeToString(code, out), form >= 0) << code;
        EXPECT_EQ(out, plain) << code;
    }
}

// The first '%' is searched for in blocks of up to sixteen bytes: an escape, well formed or not, at
// every place of codes around those sizes decodes as it does alone.
TEST(AsciiCodeTest, OneEscapeAtEveryPlace) {
    const std::tuple<std::string, std::string, bool> escapes[] = {
        {"%41", "A", true},    {"%e9", "\xE9", true},
        {"%", "%", false},     {"%4", "%4", false},
        {"%G1", "%G1", false}, {"%%41", "%A", false},
        {"%25", "%", true},    {"%00", std::string(1, '\0'), true},
    };
    for (std::size_t length = 1; length <= 40; ++length) {
        for (const auto& [escape, plain, wellFormed] : escapes) {
            for (std::size_t at = 0; at + escape.size() <= length; ++at) {
                SCOPED_TRACE(testing::Message() << length << " " << at << " " << escape);
                std::string code(length, 'x');
                code.replace(at, escape.size(), escape);
                const std::size_t after = length - at - escape.size();
                std::string out = "old";
                EXPECT_EQ(ConvertASCIIcodeToString(code, out), wellFormed);
                EXPECT_EQ(out, std::string(at, 'x') + plain + std::string(after, 'x'));
            }
        }
    }
}

// Random bytes: their ASCII code reads back as them, and reading them as UTF-8 gives units that
// round-trip.
TEST(AsciiCodeTest, RandomBytes) {
    std::mt19937 rng(1234567);
    for (int n = 0; n < 5000; ++n) {
        std::string bytes(rng() % 48, '\0');
        for (auto& b : bytes) {
            b = static_cast<char>(rng() % 0x100);
        }
        std::string code, back;
        ASSERT_TRUE(ConvertStringToASCIIcode(bytes, code));
        ASSERT_EQ(code.find('"'), std::string::npos);
        ASSERT_TRUE(ConvertASCIIcodeToString(code, back));
        ASSERT_EQ(back, bytes);
        WString units;
        const int rc = ConvertUTF8ToUnicode(bytes, units);
        ASSERT_TRUE(rc == 0 || rc == -1);
        ASSERT_LE(units.size(), bytes.size());
        ExpectRoundTrip(units);
    }
}

// ---- Password signature ---------------------------------------------------------------------

// The signature is the lower-case hex SHA-256 of the password's UTF-16LE bytes.
TEST(SignTest, GoldenDigests) {
    const std::pair<WString, const char*> digests[] = {
        {W({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {W({'a', 'b', 'c'}), "13e228567e8249fce53337f25d7970de3bd68ab2653424c7b8f9fd05e33caedf"},
        {W({'p', 0xE4, 's', 's', 'w', 0xF6, 'r', 'd', 0x20AC, 0xD83D, 0xDE00}),
         "ad9133b07a19f3c7fe7a848a79c0257b88bea7c14aa8482bddb229dc803143eb"},
    };
    for (const auto& [pwd, digest] : digests) {
        EXPECT_EQ(SignUserPwd(pwd), digest);
    }
}

}  // namespace
