#include "cmds/generator/generator.h"

#include <cstring>

#include "cmds/support/tessel.h"

namespace cmds {
namespace {

// Room for the longest key (10 characters), ":" and the longest value written unquoted: the 20
// digits of the largest number.
constexpr std::size_t kTagBufferSize = 40;
// Carriage return and line feed, followed by up to three tabs for the nesting depth.
constexpr char kBreak[] = "\r\n\t\t\t";

// The Put helpers copy into a caller's buffer and return the end of what they copied, so that
// a whole tag goes to the stream with a single write. A null text (a value without a name)
// copies nothing.
char* PutText(char* out, const char* text) {
    if (text != nullptr) {
        while (*text != '\0') {
            *out++ = *text++;
        }
    }
    return out;
}

char* PutKey(char* out, tokens::TOKEN key) {
    out = PutText(out, GetKeyword(key));
    *out++ = ':';
    return out;
}

// Decimal digits of `value` without sign or leading zeros; the C library's conversions are
// avoided because they depend on the locale.
char* PutNumber(char* out, std::uint64_t value) {
    char digits[20];
    char* first = digits + sizeof digits;
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const std::size_t count = static_cast<std::size_t>(digits + sizeof digits - first);
    std::memcpy(out, first, count);
    return out + count;
}

}  // namespace

CGenerator::CGenerator(std::ostream& out) : out_(out) {}

CGenerator::~CGenerator() = default;

std::uint32_t CGenerator::GetLength() const {
    return static_cast<std::uint32_t>(static_cast<std::streamoff>(out_.tellp()));
}

void CGenerator::Generate(const tokens::TOKEN* header, int count) {
    for (int i = 0; i < count; ++i) {
        WriteText(GetKeyword(header[i]));
        out_.put(' ');
    }
    GenerateBreak(1);
}

void CGenerator::Generate(tokens::TOKEN token) {
    WriteText(GetKeyword(token));
}

void CGenerator::GenerateTag(tokens::TOKEN key, const wstring& value) {
    std::string converted;
    ConvertUnicodeToUTF8(value, converted);
    converted += '\'';
    char prefix[kTagBufferSize];
    char* end = PutKey(prefix, key);
    *end++ = '\'';
    out_.write(prefix, end - prefix);
    WriteText(converted);
}

void CGenerator::GenerateTag(tokens::TOKEN key, const std::string& value) {
    std::string converted;
    ConvertStringToASCIIcode(value, converted);
    converted += '"';
    char prefix[kTagBufferSize];
    char* end = PutKey(prefix, key);
    *end++ = '"';
    out_.write(prefix, end - prefix);
    WriteText(converted);
}

void CGenerator::GenerateTag(tokens::TOKEN key, std::uint64_t value) {
    char tag[kTagBufferSize];
    const char* end = PutNumber(PutKey(tag, key), value);
    out_.write(tag, end - tag);
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::M_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetMType(value));
    out_.write(tag, end - tag);
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::P_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetPType(value));
    out_.write(tag, end - tag);
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::C_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetCType(value));
    out_.write(tag, end - tag);
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::SCOPE_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetScopeType(value));
    out_.write(tag, end - tag);
}

void CGenerator::GenerateTagComma(tokens::TOKEN key, const wstring& value) {
    if (!value.empty()) {
        out_.put(',');
        GenerateTag(key, value);
    }
}

void CGenerator::GenerateTagComma(tokens::TOKEN key, const std::string& value) {
    if (!value.empty()) {
        out_.put(',');
        GenerateTag(key, value);
    }
}

void CGenerator::GenerateUser(std::uint64_t user, const wstring& pwd) {
    const std::string signature = SignUserPwd(pwd);
    GenerateTag(tokens::KW_USER, user);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_PWD, signature);
}

// The code is widened with its sign, so -1 travels as 2^64 - 1 and the reader's low 32 bits
// give the code back.
void CGenerator::GenerateErrorTag(tagERROR_CODE error) {
    GenerateTag(tokens::KW_ERROR, static_cast<std::uint64_t>(static_cast<std::int64_t>(error)));
}

void CGenerator::GenerateFlagTag(tokens::TOKEN key, bool value) {
    GenerateTag(key, value ? tokens::C_YES : tokens::C_NO);
}

void CGenerator::GenerateBreak(int depth) {
    out_.write(kBreak, 2 + static_cast<std::streamsize>(depth));
}

// A value without a name (null text) writes nothing.
void CGenerator::WriteText(const char* text) {
    if (text != nullptr) {
        out_.write(text, static_cast<std::streamsize>(std::strlen(text)));
    }
}

void CGenerator::WriteText(const std::string& text) {
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

CStrStmGenerator::CStrStmGenerator() : CGenerator(ownedStream) {}

CStrStmGenerator::~CStrStmGenerator() = default;

// Replacing the buffer's text also moves its write position back to 0; the stream's state
// flags stay as they are.
void CStrStmGenerator::Reset() {
    ownedStream.str(std::string());
}

const std::string CStrStmGenerator::str() {
    return ownedStream.str();
}

std::uint32_t CStrStmGenerator::GetSize() {
    const std::streamoff position = ownedStream.tellp();
    return position == -1 ? 0 : static_cast<std::uint32_t>(position);
}

std::string GenerateConnectIn(std::uint64_t user, const wstring& pwd, const std::string& address,
                              unsigned short port, const wstring& host, bool browsable,
                              bool httpproxy, bool socksproxy) {
    CStrStmGenerator generator;
    generator.GenerateConnectIn(user, pwd, address, port, host, browsable, httpproxy, socksproxy);
    return generator.str();
}

std::string GenerateConnectOut(tagERROR_CODE error, std::uint64_t file) {
    CStrStmGenerator generator;
    generator.GenerateConnectOut(error, file);
    return generator.str();
}

std::string GenerateFriendIn(std::uint64_t user, const wstring& pwd,
                             const std::vector<std::uint64_t>& ids) {
    CStrStmGenerator generator;
    generator.GenerateFriendsInBegin(user, pwd);
    for (const std::uint64_t id : ids) {
        generator.GenerateFriend(id);
    }
    generator.GenerateFriendsInEnd();
    return generator.str();
}

std::string GenerateFriendIn(std::uint64_t user, const wstring& pwd, std::uint64_t id) {
    CStrStmGenerator generator;
    generator.GenerateFriendsInBegin(user, pwd);
    generator.GenerateFriend(id);
    generator.GenerateFriendsInEnd();
    return generator.str();
}

}  // namespace cmds
