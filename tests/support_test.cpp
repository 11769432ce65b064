// Tests of the default support library tessel: UTF-8 conversion, the quotable ASCII
// code and the password signature.
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <cstdio>
#include <random>
#include <string>
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

std::string Encode(const WString& s) {
    std::string out;
    const int written = ConvertUnicodeToUTF8(s, out);
    EXPECT_EQ(written, static_cast<int>(out.size()));
    return out;
}

// ---- UTF-8 ----------------------------------------------------------------------------------

const std::vector<std::pair<WString, std::string>> kUtf8Forms = {
    {W({}), B({})},
    {W({'A', 'z', '0'}), "Az0"},
    {W({0x0000}), B({0x00})},
    {W({'a', 0x0000, 'b'}), B({'a', 0x00, 'b'})},
    {W({0x0027}), B({0xC0, 0xA7})},
    {W({'a', 0x0027, 'b'}), B({'a', 0xC0, 0xA7, 'b'})},
    {W({0x007F}), B({0x7F})},
    {W({0x0080}), B({0xC2, 0x80})},
    {W({0x00E9}), B({0xC3, 0xA9})},
    {W({0x07FF}), B({0xDF, 0xBF})},
    {W({0x0800}), B({0xE0, 0xA0, 0x80})},
    {W({0x20AC}), B({0xE2, 0x82, 0xAC})},
    {W({0xFFFD}), B({0xEF, 0xBF, 0xBD})},
    {W({0xFFFF}), B({0xEF, 0xBF, 0xBF})},
    {W({0xD800, 0xDC00}), B({0xF0, 0x90, 0x80, 0x80})},
    {W({0xD83D, 0xDE00}), B({0xF0, 0x9F, 0x98, 0x80})},
    {W({0xDBFF, 0xDFFF}), B({0xF4, 0x8F, 0xBF, 0xBF})},
    {W({0xD800}), B({0xED, 0xA0, 0x80})},            // lone high surrogate
    {W({0xDBFF, 'x'}), B({0xED, 0xAF, 0xBF, 'x'})},  // high not followed by a low
    {W({0xDC00}), B({0xED, 0xB0, 0x80})},            // lone low surrogate
    {W({0xDFFF}), B({0xED, 0xBF, 0xBF})},
    {W({0xDC00, 0xD800}), B({0xED, 0xB0, 0x80, 0xED, 0xA0, 0x80})},  // reversed pair
    {W({0xD800, 0xD800, 0xDC00}), B({0xED, 0xA0, 0x80, 0xF0, 0x90, 0x80, 0x80})},
};

TEST(Utf8Test, ExactForms) {
    for (const auto& [units, bytes] : kUtf8Forms) {
        EXPECT_EQ(Encode(units), bytes);
        WString back = W({'x'});
        EXPECT_EQ(ConvertUTF8ToUnicode(bytes, back), 0);
        EXPECT_EQ(back, units);
    }
}

TEST(Utf8Test, AcceptedInputForms) {
    WString out = W({'x'});
    EXPECT_EQ(ConvertUTF8ToUnicode(B({0x27}), out), 0);  // plain apostrophe is standard UTF-8
    EXPECT_EQ(out, W({0x0027}));
    // A three-byte high surrogate followed by a three-byte low surrogate: just those two units.
    EXPECT_EQ(ConvertUTF8ToUnicode(B({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}), out), 0);
    EXPECT_EQ(out, W({0xD83D, 0xDE00}));
}

const std::vector<std::pair<std::string, WString>> kMalformed = {
    {B({0x80}), W({0xFFFD})},  // stray continuation bytes
    {B({'a', 0xBF, 'b'}), W({'a', 0xFFFD, 'b'})},
    {B({0xC0}), W({0xFFFD})},  // truncated
    {B({0xC2}), W({0xFFFD})},
    {B({0xC2, 'A'}), W({0xFFFD, 'A'})},
    {B({0xE2, 0x82}), W({0xFFFD, 0xFFFD})},
    {B({0xE2, 0x82, 'A'}), W({0xFFFD, 0xFFFD, 'A'})},
    {B({0xF0, 0x9F, 0x98}), W({0xFFFD, 0xFFFD, 0xFFFD})},
    {B({0xC0, 0x80}), W({0xFFFD, 0xFFFD})},  // overlong other than C0 A7
    {B({0xC0, 0xA6}), W({0xFFFD, 0xFFFD})},
    {B({0xC1, 0xBF}), W({0xFFFD, 0xFFFD})},
    {B({0xE0, 0x80, 0xA7}), W({0xFFFD, 0xFFFD, 0xFFFD})},
    {B({0xE0, 0x9F, 0xBF}), W({0xFFFD, 0xFFFD, 0xFFFD})},
    {B({0xF0, 0x8F, 0xBF, 0xBF}), W({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
    {B({0xF4, 0x90, 0x80, 0x80}), W({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},  // above U+10FFFF
    {B({0xF5, 0x80, 0x80, 0x80}), W({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
    {B({0xF8}), W({0xFFFD})},
    {B({0xFE, 0xFF}), W({0xFFFD, 0xFFFD})},
    {B({0xC3, 0xA9, 0xFF, 0xC3, 0xA9}), W({0xE9, 0xFFFD, 0xE9})},  // resumes at the next byte
};

TEST(Utf8Test, MalformedInput) {
    for (const auto& [bytes, units] : kMalformed) {
        WString out = W({'x', 'y', 'z'});
        EXPECT_EQ(ConvertUTF8ToUnicode(bytes, out), -1);
        EXPECT_EQ(out, units);
    }
}

TEST(Utf8Test, EverySingleUnitRoundTrips) {
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const WString one(1, static_cast<unsigned short>(u));
        const std::string bytes = Encode(one);
        ASSERT_EQ(bytes.find('\''), std::string::npos) << u;
        WString back = W({'x'});
        ASSERT_EQ(ConvertUTF8ToUnicode(bytes, back), 0) << u;
        ASSERT_EQ(back, one) << u;
    }
}

TEST(Utf8Test, RandomSequencesRoundTrip) {
    std::mt19937 rng(20240517);
    const unsigned short special[] = {0x0000, 0x0027, 0x007F, 0x0080, 0x07FF, 0x0800,
                                      0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFD, 0xFFFF};
    for (int n = 0; n < 5000; ++n) {
        WString s(rng() % 40, 0);
        for (auto& u : s) {
            switch (rng() % 4) {
                case 0:
                    u = static_cast<unsigned short>(rng() % 0x80);
                    break;
                case 1:
                    u = special[rng() % (sizeof special / sizeof special[0])];
                    break;
                case 2:
                    u = static_cast<unsigned short>(0xD800 + rng() % 0x800);
                    break;
                default:
                    u = static_cast<unsigned short>(rng() % 0x10000);
                    break;
            }
        }
        const std::string bytes = Encode(s);
        ASSERT_EQ(bytes.find('\''), std::string::npos);
        WString back = W({'x'});
        ASSERT_EQ(ConvertUTF8ToUnicode(bytes, back), 0);
        ASSERT_EQ(back, s);
    }
}

TEST(Utf8Test, RandomBytesDecodeSafely) {
    std::mt19937 rng(7);
    for (int n = 0; n < 5000; ++n) {
        std::string bytes(rng() % 24, '\0');
        for (auto& b : bytes)
            b = static_cast<char>(rng() % 0x100);
        WString out = W({'x'});
        const int rc = ConvertUTF8ToUnicode(bytes, out);
        ASSERT_TRUE(rc == 0 || rc == -1);
        ASSERT_LE(out.size(), bytes.size());
        // Re-encoding what was decoded yields units that decode to the same units again.
        WString again;
        again.push_back('x');
        ASSERT_EQ(ConvertUTF8ToUnicode(Encode(out), again), 0);
        ASSERT_EQ(again, out);
    }
}

TEST(Utf8Test, TargetContentIsReplaced) {
    std::string bytes = "old content";
    EXPECT_EQ(ConvertUnicodeToUTF8(W({'h', 'i'}), bytes), 2);
    EXPECT_EQ(bytes, "hi");
    EXPECT_EQ(ConvertUnicodeToUTF8(W({}), bytes), 0);
    EXPECT_EQ(bytes, "");
    WString units = W({'o', 'l', 'd', 0xD800});
    EXPECT_EQ(ConvertUTF8ToUnicode("hi", units), 0);
    EXPECT_EQ(units, W({'h', 'i'}));
    EXPECT_EQ(ConvertUTF8ToUnicode("", units), 0);
    EXPECT_TRUE(units.empty());
}

// ---- ASCII code -----------------------------------------------------------------------------

bool IsPassThrough(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string(".:-_/@;,").find(static_cast<char>(c)) != std::string::npos;
}

TEST(AsciiCodeTest, EverySingleByte) {
    for (unsigned c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        std::string code = "junk";
        EXPECT_TRUE(ConvertStringToASCIIcode(one, code));
        char expected[4];
        std::snprintf(expected, sizeof expected, "%%%02X", c);
        EXPECT_EQ(code, IsPassThrough(static_cast<unsigned char>(c)) ? one : std::string(expected))
            << c;
        std::string back = "junk";
        EXPECT_TRUE(ConvertASCIIcodeToString(code, back));
        EXPECT_EQ(back, one) << c;
    }
}

const std::vector<std::pair<std::string, std::string>> kAsciiForms = {
    {"", ""},
    {"abcXYZ0189", "abcXYZ0189"},
    {".:-_/@;,", ".:-_/@;,"},
    {"a b", "a%20b"},
    {"%", "%25"},
    {"\"", "%22"},
    {"'", "%27"},
    {std::string(1, '\0'), "%00"},
    {"\xFF", "%FF"},
    {"\xC3\xA9", "%C3%A9"},
    {"+~=?#", "%2B%7E%3D%3F%23"},
    {"user@host.org:80/x;y,z", "user@host.org:80/x;y,z"},
};

TEST(AsciiCodeTest, ExactForms) {
    for (const auto& [plain, code] : kAsciiForms) {
        std::string out = "junk";
        EXPECT_TRUE(ConvertStringToASCIIcode(plain, out));
        EXPECT_EQ(out, code);
        std::string back = "junk";
        EXPECT_TRUE(ConvertASCIIcodeToString(code, back));
        EXPECT_EQ(back, plain);
    }
}

struct CodeInput {
    std::string code;
    std::string bytes;
    bool ok;
};

const std::vector<CodeInput> kCodeInputs = {
    {"%41%6a%6A", "Ajj", true},  // hex digits of either case
    {"%00x", std::string("\0x", 2), true},
    {"a b\"'~", "a b\"'~", true},  // other bytes stand for themselves
    {"%", "%", false},             // '%' without two hex digits
    {"%4", "%4", false},
    {"100%", "100%", false},
    {"%G1", "%G1", false},
    {"%1G", "%1G", false},
    {"%%41", "%A", false},
    {"%2", "%2", false},
};

TEST(AsciiCodeTest, DecodingTable) {
    for (const auto& c : kCodeInputs) {
        std::string out = "previous";
        EXPECT_EQ(ConvertASCIIcodeToString(c.code, out), c.ok) << c.code;
        EXPECT_EQ(out, c.bytes) << c.code;
    }
}

TEST(AsciiCodeTest, RandomStringsRoundTrip) {
    std::mt19937 rng(1234567);
    for (int n = 0; n < 5000; ++n) {
        std::string s(rng() % 48, '\0');
        for (auto& b : s)
            b = static_cast<char>(rng() % 0x100);
        std::string code = "junk";
        ASSERT_TRUE(ConvertStringToASCIIcode(s, code));
        ASSERT_EQ(code.find('"'), std::string::npos);
        std::string back = "junk";
        ASSERT_TRUE(ConvertASCIIcodeToString(code, back));
        ASSERT_EQ(back, s);
    }
}

// ---- Password signature ---------------------------------------------------------------------

std::string HexOfSha256(const std::vector<unsigned char>& bytes) {
    unsigned char md[SHA256_DIGEST_LENGTH];
    SHA256(bytes.data(), bytes.size(), md);
    std::string hex;
    char two[3];
    for (unsigned char b : md) {
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    return hex;
}

TEST(SignTest, MatchesSha256OfUtf16le) {
    const WString pwd = W({'p', 0xE4, 's', 's', 'w', 0xF6, 'r', 'd', 0x20AC, 0xD83D, 0xDE00});
    std::vector<unsigned char> le;
    for (unsigned short u : pwd) {
        le.push_back(static_cast<unsigned char>(u & 0xFF));
        le.push_back(static_cast<unsigned char>(u >> 8));
    }
    EXPECT_EQ(SignUserPwd(pwd), HexOfSha256(le));
    EXPECT_EQ(SignUserPwd(pwd), "ad9133b07a19f3c7fe7a848a79c0257b88bea7c14aa8482bddb229dc803143eb");
    EXPECT_EQ(SignUserPwd(W({'a', 'b', 'c'})), HexOfSha256({'a', 0, 'b', 0, 'c', 0}));
    EXPECT_EQ(SignUserPwd(W({'a', 'b', 'c'})),
              "13e228567e8249fce53337f25d7970de3bd68ab2653424c7b8f9fd05e33caedf");
}

TEST(SignTest, EmptyPasswordAndShape) {
    EXPECT_EQ(SignUserPwd(W({})),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    for (const WString& pwd : {W({}), W({'x'}), W({0x0000, 0xFFFF, 0x0027})}) {
        const std::string sig = SignUserPwd(pwd);
        ASSERT_EQ(sig.size(), 64u);
        EXPECT_EQ(sig.find_first_not_of("0123456789abcdef"), std::string::npos) << sig;
    }
    EXPECT_NE(SignUserPwd(W({'a'})), SignUserPwd(W({'b'})));
}

}  // namespace
