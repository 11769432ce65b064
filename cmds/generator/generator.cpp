#include "cmds/generator/generator.h"

#include <algorithm>
#include <cstring>

#include "cmds/generator/generator_internal.h"
#include "cmds/generator/put_area_internal.h"
#include "cmds/support/tessel.h"
#include "cmds/support/utf8_encode_internal.h"
#include "cmds/tokens/tables_internal.h"

namespace cmds {
namespace {

// Storage for gathered bytes: grown at least this much at a time, and not kept above the limit.
constexpr std::size_t kMinPending = 1024;
constexpr std::size_t kMaxKeptPending = 1 << 20;

}  // namespace

CGenerator::CGenerator(std::ostream& out)
    : out_(out), start_(pending_.data()), next_(start_), limit_(start_) {}

CGenerator::~CGenerator() = default;

// Bytes held in the put area lie past the write position until they are released.
std::uint32_t CGenerator::GetLength() const {
    const auto position = static_cast<std::streamoff>(out_.tellp());
    return static_cast<std::uint32_t>(position == -1 ? position : position + (next_ - start_));
}

// Hands the bytes held in the put area to the stream.
void CGenerator::Release() {
    if (Holding()) {
        Flush(false);
    }
}

// Bytes stored in the buffer's put area are written once the write position passes them, so a
// writer that fits gathers there and its bytes are never copied.
void CGenerator::GatherInPlace() {
    char* begin = nullptr;
    char* end = nullptr;
    detail::PutArea::Room(*out_.rdbuf(), begin, end);
    if (begin != end) {
        start_ = next_ = begin;
        limit_ = end;
    }
}

// Room for `size` bytes from `out`, which lies between the gathered bytes and the end of their
// room; returns where `out` is once the bytes have moved into the storage or the storage has
// grown.
char* CGenerator::GrowPending(const char* out, std::size_t size) {
    const auto gathered = static_cast<std::size_t>(next_ - start_);
    const auto used = static_cast<std::size_t>(out - start_);
    if (GatheredInPutArea()) {
        pending_.resize(std::max({pending_.size(), used + size, kMinPending}));
        std::memcpy(pending_.data(), start_, used);
    } else {
        pending_.resize(std::max({pending_.size() * 2, used + size, kMinPending}));
    }
    start_ = pending_.data();
    next_ = start_ + gathered;
    limit_ = start_ + pending_.size();
    return start_ + used;
}

// The UTF-8 form of a well-formed value without an apostrophe is fixed, so the library writes
// it; the support library writes any other value, whose form is its own.
char* CGenerator::PutEncoded(char* out, const wstring& value) {
    std::size_t taken = 0;
    bool irregular = false;
    char* const end = detail::EncodeUnits(value.data(), taken, value.size(), out, irregular);
    return irregular ? PutConverted(out, value) : end;
}

// The same for a value of one round, narrowed at `out`, some of whose units are marked.
char* CGenerator::PutMarked(char* out, const wstring& value, const detail::NarrowedRound& round) {
    if (round.apostrophe) {
        return PutConverted(out, value);
    }
    std::size_t taken = 0;
    bool irregular = false;
    char* const end =
        detail::EncodeRound(value.data(), taken, value.size(), value.size(), round, out, irregular);
    return irregular ? PutConverted(out, value) : end;
}

// The contract of the support library allows no form longer than PutTag has room for; a longer
// one gets room for its excess.
char* CGenerator::PutConverted(char* out, const wstring& value) {
    converted_.clear();
    ConvertUnicodeToUTF8(value, converted_);
    const std::size_t size = converted_.size();
    const std::size_t reserved = 3 * value.size();
    if (size > reserved) {
        out = GrowPending(out, static_cast<std::size_t>(limit_ - out) + (size - reserved));
    }
    std::memcpy(out, converted_.data(), size);
    return out + size;
}

void CGenerator::GenerateHeader(eCommand command) {
    Generate(kCommands[command].verb);
    char* const space = Room(1);
    *space = ' ';
    EndPiece(space + 1);
    Generate(kCommands[command].direction);
    char* const out = Room(sizeof detail::kHeaderBreak);
    std::memcpy(out, detail::kHeaderBreak, sizeof detail::kHeaderBreak);
    EndPiece(out + sizeof detail::kHeaderBreak);
}

void CGenerator::GenerateTag(tokens::TOKEN key, const std::string& value) {
    converted_.clear();
    ConvertStringToASCIIcode(value, converted_);
    const std::size_t size = converted_.size();
    char* out = detail::PutKey(Room(detail::kTagRoom + size), key);
    *out++ = '"';
    std::memcpy(out, converted_.data(), size);
    out += size;
    *out++ = '"';
    EndPiece(out);
}

void CGenerator::GenerateWordTag(tokens::TOKEN key, const char* word) {
    EndPiece(detail::PutText(detail::PutKey(Room(detail::kTagRoom), key), word));
}

// The callers pass values within their tables.
void CGenerator::GenerateTag(tokens::TOKEN key, tokens::M_TYPE_ENUM value) {
    GenerateWordTag(key, detail::kMTypeTexts[value]);
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::P_TYPE_ENUM value) {
    GenerateWordTag(key, detail::kPTypeTexts[value]);
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::C_TYPE_ENUM value) {
    GenerateWordTag(key, detail::kCTypeTexts[value]);
}

void CGenerator::GenerateTag(tokens::TOKEN key, tokens::SCOPE_TYPE_ENUM value) {
    GenerateWordTag(key, detail::kScopeTypeTexts[value]);
}

void CGenerator::GenerateTagComma(tokens::TOKEN key, const std::string& value) {
    if (!value.empty()) {
        Generate(tokens::COMMA);
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

// Ends the gathering and hands the gathered bytes to the stream's buffer as the stream's write
// would: a short write or an error of the buffer sets badbit, and the error leaves only when the
// stream's exception mask asks for badbit and no other exception is already leaving the writer.
void CGenerator::Flush(bool unwinding) {
    batching_ = false;
    const auto size = static_cast<std::size_t>(next_ - start_);
    const bool inPutArea = GatheredInPutArea();
    const char* const gathered = start_;
    start_ = next_ = pending_.data();
    limit_ = start_ + pending_.size();
    // A writer call with an exceptionally long output, or a piece of one, does not keep its
    // storage.
    struct Trim {
        CGenerator& generator;
        ~Trim() {
            if (generator.pending_.size() > kMaxKeptPending) {
                std::string().swap(generator.pending_);
                generator.start_ = generator.next_ = generator.limit_ = generator.pending_.data();
            }
        }
    } trim{*this};
    try {
        if (inPutArea) {
            // Only support functions run while gathering; should one of them have written to
            // this stream, the put area holds its bytes where the gathered ones were.
            char* begin = nullptr;
            char* end = nullptr;
            detail::PutArea::Room(*out_.rdbuf(), begin, end);
            if (begin != gathered || static_cast<std::size_t>(end - begin) < size) {
                out_.setstate(std::ios_base::badbit);
                return;
            }
            detail::PutArea::Advance(*out_.rdbuf(), size);
        } else if (size != 0) {
            const auto count = static_cast<std::streamsize>(size);
            if (out_.rdbuf()->sputn(gathered, count) != count) {
                out_.setstate(std::ios_base::badbit);
            }
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

CStrStmGenerator::CStrStmGenerator() : CGenerator(ownedStream) {
    ownsStream_ = true;
}

CStrStmGenerator::~CStrStmGenerator() = default;

// Replacing the buffer's text also moves its write position back to 0; the stream's state
// flags stay as they are.
void CStrStmGenerator::Reset() {
    Release();
    ownedStream.str(std::string());
}

const std::string CStrStmGenerator::str() {
    Release();
    return ownedStream.str();
}

std::uint32_t CStrStmGenerator::GetSize() {
    Release();
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
