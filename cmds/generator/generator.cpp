#include "cmds/generator/generator.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "cmds/support/tessel.h"

namespace cmds {
namespace {

// Room for the longest key (10 characters), ":" and the longest value written unquoted: the 20
// digits of the largest number.
constexpr std::size_t kTagBufferSize = 40;
// Carriage return and line feed, followed by up to three tabs for the nesting depth.
constexpr char kBreak[] = "\r\n\t\t\t";
// Storage for gathered bytes: grown at least this much at a time, and not kept above the limit.
constexpr std::size_t kMinPending = 1024;
constexpr std::size_t kMaxKeptPending = 1 << 20;

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

// The keyword and punctuation texts with their lengths, taken once from GetKeyword.
struct TokenText {
    char text[12];
    std::size_t length;
};

const std::array<TokenText, kKeywordCount>& TokenTexts() {
    static const std::array<TokenText, kKeywordCount> texts = [] {
        std::array<TokenText, kKeywordCount> table{};
        for (int token = 0; token < kKeywordCount; ++token) {
            TokenText& entry = table[static_cast<std::size_t>(token)];
            entry.length = std::strlen(GetKeyword(static_cast<tokens::TOKEN>(token)));
            std::memcpy(entry.text, GetKeyword(static_cast<tokens::TOKEN>(token)), entry.length);
        }
        return table;
    }();
    return texts;
}

char* PutKey(char* out, tokens::TOKEN key) {
    const TokenText& entry = TokenTexts()[static_cast<std::size_t>(key)];
    std::memcpy(out, entry.text, sizeof entry.text);
    out += entry.length;
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
        Put(" ", 1);
    }
    GenerateBreak(1);
}

void CGenerator::Generate(tokens::TOKEN token) {
    const TokenText& entry = TokenTexts()[static_cast<std::size_t>(token)];
    Put(entry.text, entry.length);
}

void CGenerator::GenerateTag(tokens::TOKEN key, const wstring& value) {
    converted_.clear();
    ConvertUnicodeToUTF8(value, converted_);
    converted_ += '\'';
    char prefix[kTagBufferSize];
    char* end = PutKey(prefix, key);
    *end++ = '\'';
    Put(prefix, static_cast<std::size_t>(end - prefix));
    WriteText(converted_);
}

void CGenerator::GenerateTag(tokens::TOKEN key, const std::string& value) {
    converted_.clear();
    ConvertStringToASCIIcode(value, converted_);
    converted_ += '"';
    char prefix[kTagBufferSize];
    char* end = PutKey(prefix, key);
    *end++ = '"';
    Put(prefix, static_cast<std::size_t>(end - prefix));
    WriteText(converted_);
}

void CGenerator::GenerateTag(tokens::TOKEN key, std::uint64_t value) {
    char tag[kTagBufferSize];
    const char* end = PutNumber(PutKey(tag, key), value);
    Put(tag, static_cast<std::size_t>(end - tag));
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::M_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetMType(value));
    Put(tag, static_cast<std::size_t>(end - tag));
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::P_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetPType(value));
    Put(tag, static_cast<std::size_t>(end - tag));
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::C_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetCType(value));
    Put(tag, static_cast<std::size_t>(end - tag));
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::SCOPE_TYPE_ENUM value) {
    char tag[kTagBufferSize];
    const char* end = PutText(PutKey(tag, key), GetScopeType(value));
    Put(tag, static_cast<std::size_t>(end - tag));
}

void CGenerator::GenerateTagComma(tokens::TOKEN key, const wstring& value) {
    if (!value.empty()) {
        Put(",", 1);
        GenerateTag(key, value);
    }
}

void CGenerator::GenerateTagComma(tokens::TOKEN key, const std::string& value) {
    if (!value.empty()) {
        Put(",", 1);
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
    Put(kBreak, 2 + static_cast<std::size_t>(depth));
}

// A value without a name (null text) writes nothing.
void CGenerator::WriteText(const char* text) {
    if (text != nullptr) {
        Put(text, std::strlen(text));
    }
}

void CGenerator::WriteText(const std::string& text) {
    Put(text.data(), text.size());
}

// Gathered bytes go into pending_ used as plain storage: its first pendingSize_ bytes count.
void CGenerator::Put(const char* data, std::size_t size) {
    if (!batching_) {
        out_.write(data, static_cast<std::streamsize>(size));
        return;
    }
    if (pending_.size() - pendingSize_ < size) {
        pending_.resize(std::max({pending_.size() * 2, pendingSize_ + size, kMinPending}));
    }
    std::memcpy(&pending_[pendingSize_], data, size);
    pendingSize_ += size;
}

// Hands the gathered bytes to the stream's buffer as the stream's write would: a short write or
// an error of the buffer sets badbit, and the error leaves only when the stream's exception
// mask asks for badbit and no other exception is already leaving the writer.
void CGenerator::Flush(bool unwinding) {
    if (pendingSize_ == 0) {
        return;
    }
    const auto size = static_cast<std::streamsize>(pendingSize_);
    pendingSize_ = 0;
    // A writer call with an exceptionally long output does not keep its storage.
    struct Trim {
        std::string& storage;
        ~Trim() {
            if (storage.size() > kMaxKeptPending) {
                std::string().swap(storage);
            }
        }
    } trim{pending_};
    try {
        const std::streamsize written = out_.rdbuf()->sputn(pending_.data(), size);
        if (written != size) {
            out_.setstate(std::ios_base::badbit);
        }
    } catch (...) {
        const bool raise = (out_.exceptions() & std::ios_base::badbit) != 0 && !unwinding;
        try {
            out_.setstate(std::ios_base::badbit);
        } catch (...) {
        }
        if (raise) {
            throw;
        }
    }
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
