#include "cmds/lexer/lexer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>

#include "cmds/lexer/utf8_internal.h"
#include "cmds/lexer/words_internal.h"
#include "cmds/support/tessel.h"
#include "cmds/tokens/raise_internal.h"
#include "cmds/tokens/tables_internal.h"

namespace cmds {

using detail::IsBlank;
using detail::IsDigit;
using detail::IsLetter;
using detail::IsLetterOrDigit;
using detail::PunctuationToken;

namespace {

constexpr int kDoubleQuote = '"';
constexpr int kApostrophe = '\'';

// A byte for a person: printable ASCII in quotes, anything else as its number.
std::string DescribeByte(int c) {
    if (c >= 0x20 && c < 0x7f) {
        return std::string("'") + static_cast<char>(c) + "'";
    }
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + kHex[(c >> 4) & 0xF] + kHex[c & 0xF];
}

// At most this many units of a value are shown in a message.
constexpr std::size_t kShownUnits = 40;

template <typename Text>
std::string ShowText(const Text& text, char quote, const char* escape, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string shown(1, quote);
    const std::size_t count = std::min(text.size(), kShownUnits);
    for (std::size_t i = 0; i < count; ++i) {
        const auto unit = static_cast<std::uint32_t>(
            static_cast<std::make_unsigned_t<typename Text::value_type>>(text[i]));
        if (unit >= 0x20 && unit < 0x7f && unit != '\\') {
            shown += static_cast<char>(unit);
            continue;
        }
        shown += escape;
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
            shown += kHex[(unit >> shift) & 0xF];
        }
    }
    shown += quote;
    if (count < text.size()) {
        shown += "...";
    }
    return shown;
}

}  // namespace

CLexer::CLexer(CLexerStreamBase& source) : source_(source) {}

CLexer::CLexer(CLexerStream& source)
    : source_(source), lender_(&source), runKeepable_(!source.LocksWhileLent()) {}

CLexer::~CLexer() = default;

// Position of the next byte to read, counted from the lexer's first read.
std::uint64_t CLexer::Offset() const {
    return consumed_ + static_cast<std::uint64_t>(runNext_ - runBegin_);
}

void CLexer::Borrow() {
    const char* begin = nullptr;
    const char* end = nullptr;
    if (lender_ != nullptr && lender_->LendRun(begin, end)) {
        runBegin_ = runNext_ = begin;
        runEnd_ = end;
    }
}

void CLexer::ReleaseRuns() {
    --holdDepth_;
    GiveBack();
}

void CLexer::GiveBack() {
    if (runBegin_ != nullptr) {
        const char* const begin = runBegin_;
        const char* const next = runNext_;
        consumed_ += static_cast<std::uint64_t>(next - begin);
        runBegin_ = runNext_ = runEnd_ = nullptr;
        lender_->ReturnRun(begin, next);
    }
}

int CLexer::GetOutsideRun() {
    GiveBack();
    const int c = source_.GetNextChar();
    lastFromRun_ = false;
    if (c != -1) {
        ++consumed_;
    }
    Borrow();
    return c;
}

int CLexer::Get() {
    if (runNext_ != runEnd_) {
        lastFromRun_ = true;
        return static_cast<unsigned char>(*runNext_++);
    }
    return GetOutsideRun();
}

void CLexer::PutBack(int c) {
    if (lastFromRun_) {
        --runNext_;
        lastFromRun_ = false;
        return;
    }
    GiveBack();
    source_.PutBackChar(c);
    if (c != -1) {
        --consumed_;
    }
    Borrow();
}

void CLexer::NoteLineBreaks(const char* begin, const char* end, std::uint64_t offset) {
    detail::CountLineFeeds(begin, end, offset, line_, lineStart_);
}

// The whole of reading a token is compiled as one function, as it was written before it was cut
// into the protected steps that a subclass may call one by one.
#if defined(__GNUC__)
__attribute__((flatten))
#endif
tokens::TOKEN
CLexer::GetNextToken() {
    try {
        if (runBegin_ == nullptr) {
            Borrow();
        }
        const tokens::TOKEN token = Scan();
        if (holdDepth_ == 0 || !runKeepable_) {
            GiveBack();
        }
        lastToken_ = token;
        return token;
    } catch (CCmdError& error) {
        GiveBack();
        detail::ErrorDetail where;
        const std::uint64_t offset = Offset();
        where.position = {static_cast<std::size_t>(offset), line_,
                          static_cast<std::size_t>(offset - lineStart_ + 1)};
        where.reason = error.code == detail::kCancelErrorCode     ? "the source was aborted"
                       : error.code == detail::kDeadlockErrorCode ? "no input came within the wait"
                                                                  : "the source failed";
        detail::LocateIfBare(error, where);
        throw;
    } catch (...) {
        GiveBack();
        throw;
    }
}

void CLexer::Fail(const char* reason) {
    GiveBack();
    detail::ErrorDetail detail;
    detail.position = tokenPosition_;
    detail.reason = reason;
    detail::ThrowLocated(detail::kLexErrorCode, std::move(detail));
}

void CLexer::CheckValueSize(std::size_t size) {
    if (maxValueBytes_ != 0 && size > maxValueBytes_) {
        Fail(("a value longer than the limit of " + std::to_string(maxValueBytes_) + " bytes")
                 .c_str());
    }
}

// The host's conversion functions never run while the source is locked for a run.
void CLexer::ReturnLockedRun() {
    if (!runKeepable_) {
        GiveBack();
    }
}

// A wide string that lies whole within the run is taken from there in one piece and decoded where
// it lies when its UTF-8 is strictly well formed, since ConvertUTF8ToUnicode could give nothing
// else (see DecodeUtf8); anything else goes to the support library.
bool CLexer::ReadWideInPlace(std::uint64_t start) {
    if (runNext_ == runEnd_) {
        return false;
    }
    bool hasLineFeed = true;
    const char* const end = detail::FindByte(runNext_, runEnd_, kApostrophe, hasLineFeed);
    if (end == nullptr) {
        return false;
    }
    const auto length = static_cast<std::size_t>(end - runNext_);
    CheckValueSize(length);
    const char* const text = runNext_;
    runNext_ = end + 1;
    lastFromRun_ = true;
    if (hasLineFeed) {
        NoteLineBreaks(text, end, start + 1);
    }
    const bool decoded =
        detail::DecodeUtf8(text, length, static_cast<std::size_t>(runEnd_ - text), wideValue_);
    if (!decoded) {
        scratch_.assign(text, length);
        ReturnLockedRun();
        ConvertUTF8ToUnicode(scratch_, wideValue_);
    }
    return true;
}

// A word is a value only when it is no keyword, which is known once it is whole; until then it
// may grow to the longest keyword whatever the limit.
void CLexer::CheckWordSize(std::size_t size) {
    if (size > detail::kLongestWord) {
        CheckValueSize(size);
    }
}

tokens::TOKEN CLexer::Scan() {
    const int c = SkipBlanks();
    const std::uint64_t start = Offset() - (c == -1 ? 0 : 1);
    tokenPosition_ = {static_cast<std::size_t>(start), line_,
                      static_cast<std::size_t>(start - lineStart_ + 1)};
    // Punctuation, the commonest token between values, is looked for first.
    const tokens::TOKEN mark = PunctuationToken(c);
    if (mark != tokens::NO_TOKEN) {
        return mark;
    }
    if (IsLetter(c)) {
        // A word that ends within the run is classified where it lies.
        if (lastFromRun_) {
            const char* const word = runNext_ - 1;
            const char* const end = runNext_ + detail::AlphanumericLength(runNext_, runEnd_);
            if (end != runEnd_) {
                runNext_ = end;
                const auto length = static_cast<std::size_t>(end - word);
                return Classify(detail::FindAlphanumericWord(word, length), word, length);
            }
        }
        scratch_.assign(1, static_cast<char>(c));
        ReadString(scratch_);
        return Classify(detail::FindAlphanumericWord(scratch_.data(), scratch_.size()),
                        scratch_.data(), scratch_.size());
    }
    if (IsDigit(c)) {
        return ReadNumber(c, numberValue_);
    }
    switch (c) {
        case -1:
            return tokens::END_OF_INPUT;
        case kDoubleQuote: {
            narrowValue_.clear();
            const tokens::TOKEN token = ReadQuoteString(narrowValue_);
            if (token == tokens::NO_TOKEN) {
                Fail("the input ends inside a string");
            }
            return token;
        }
        case kApostrophe: {
            if (ReadWideInPlace(start)) {
                return tokens::WSTRING;
            }
            scratch_.clear();
            const tokens::TOKEN token = ReadUTF8(scratch_);
            ReturnLockedRun();
            NoteLineBreaks(scratch_.data(), scratch_.data() + scratch_.size(), start + 1);
            // Converted even when the string is unterminated; the error follows.
            ConvertUTF8ToUnicode(scratch_, wideValue_);
            if (token == tokens::NO_TOKEN) {
                Fail("the input ends inside a wide string");
            }
            return token;
        }
        default:
            break;
    }
    Fail((DescribeByte(c) + " starts no token").c_str());
}

bool CLexer::GetString(std::string& out) {
    if (lastToken_ != tokens::STRING) {
        return false;
    }
    out = narrowValue_;
    return true;
}

bool CLexer::GetWString(wstring& out) {
    if (lastToken_ != tokens::WSTRING) {
        return false;
    }
    out = wideValue_;
    return true;
}

bool CLexer::GetNumber(std::uint64_t& out) {
    out = numberValue_;
    return lastToken_ == tokens::NUMBER;
}

bool CLexer::GetMType(tokens::M_TYPE_ENUM& out) {
    out = mValue_;
    return lastToken_ == tokens::M_VALUE;
}

bool CLexer::GetPType(tokens::P_TYPE_ENUM& out) {
    out = pValue_;
    return lastToken_ == tokens::P_VALUE;
}

bool CLexer::GetCType(tokens::C_TYPE_ENUM& out) {
    out = cValue_;
    return lastToken_ == tokens::C_VALUE;
}

bool CLexer::GetScopeType(tokens::SCOPE_TYPE_ENUM& out) {
    out = scopeValue_;
    return lastToken_ == tokens::SCOPE_VALUE;
}

std::string CLexer::DescribeToken() const {
    using namespace tokens;
    switch (lastToken_) {
        case END_OF_INPUT:
            return "the end of the input";
        case NUMBER:
            return "the number " + std::to_string(numberValue_);
        case STRING:
            return "the string " + ShowText(narrowValue_, '"', "\\x", 2);
        case WSTRING:
            return "the wide string " + ShowText(wideValue_, '\'', "\\u", 4);
        case M_VALUE:
            return std::string("the word ") + detail::kMTypeTexts[mValue_];
        case P_VALUE:
            return std::string("the word ") + detail::kPTypeTexts[pValue_];
        case C_VALUE:
            return std::string("the word ") + detail::kCTypeTexts[cValue_];
        case SCOPE_VALUE:
            return std::string("the word ") + detail::kScopeTypeTexts[scopeValue_];
        default:
            break;
    }
    if (lastToken_ >= COLON && lastToken_ < kKeywordCount) {
        return std::string("'") + detail::kKeywordTexts[lastToken_] + "'";
    }
    if (lastToken_ > NO_TOKEN && lastToken_ < COLON) {
        return std::string("the keyword ") + detail::kKeywordTexts[lastToken_];
    }
    return "nothing";
}

// The steps read in place while a run is lent: a step that meets the run's end goes on through
// GetOutsideRun, which reads one character from the source and borrows a new run.

int CLexer::SkipBlanks() {
    for (;;) {
        while (runNext_ != runEnd_) {
            const char c = *runNext_++;
            if (!IsBlank(c)) {
                lastFromRun_ = true;
                return static_cast<unsigned char>(c);
            }
            if (c == '\n') {
                ++line_;
                lineStart_ = Offset();
            }
        }
        const int c = GetOutsideRun();
        if (!IsBlank(c)) {
            return c;
        }
        if (c == '\n') {
            ++line_;
            lineStart_ = Offset();
        }
    }
}

// The character after the word is left unread: within a run it is simply not taken, which is
// where reading and putting it back would leave the source.
void CLexer::ReadString(std::string& word) {
    for (;;) {
        const char* const start = runNext_;
        while (runNext_ != runEnd_ && IsLetterOrDigit(*runNext_)) {
            ++runNext_;
        }
        CheckWordSize(word.size() + static_cast<std::size_t>(runNext_ - start));
        word.append(start, runNext_);
        if (runNext_ != runEnd_) {
            return;
        }
        const int c = GetOutsideRun();
        if (!IsLetterOrDigit(c)) {
            PutBack(c);
            return;
        }
        CheckWordSize(word.size() + 1);
        word.push_back(static_cast<char>(c));
    }
}

// Unsigned arithmetic wraps, so a run too long for 64 bits keeps its value modulo 2^64.
tokens::TOKEN CLexer::ReadNumber(int first, std::uint64_t& value) {
    std::uint64_t number = 0;
    std::size_t digits = 0;
    int c = first;
    for (;;) {
        if (!IsDigit(c)) {
            PutBack(c);
            break;
        }
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
        const char* const start = runNext_;
        while (runNext_ != runEnd_ && IsDigit(*runNext_)) {
            number = number * 10 + static_cast<std::uint64_t>(*runNext_++ - '0');
        }
        digits += 1 + static_cast<std::size_t>(runNext_ - start);
        CheckValueSize(digits);
        if (runNext_ != runEnd_) {
            break;
        }
        c = GetOutsideRun();
    }
    value = number;
    return tokens::NUMBER;
}

// Appends the bytes up to the closing `quote`, which is consumed; false when the end of the
// source comes first.
bool CLexer::CollectQuoted(int quote, std::string& text) {
    for (;;) {
        if (runNext_ != runEnd_) {
            const char* const found = detail::FindByte(runNext_, runEnd_, static_cast<char>(quote));
            if (found != nullptr) {
                CheckValueSize(text.size() + static_cast<std::size_t>(found - runNext_));
                text.append(runNext_, found);
                runNext_ = found + 1;
                lastFromRun_ = true;
                return true;
            }
            CheckValueSize(text.size() + static_cast<std::size_t>(runEnd_ - runNext_));
            text.append(runNext_, runEnd_);
            runNext_ = runEnd_;
        }
        const int c = GetOutsideRun();
        if (c == quote) {
            return true;
        }
        if (c == -1) {
            return false;
        }
        CheckValueSize(text.size() + 1);
        text.push_back(static_cast<char>(c));
    }
}

tokens::TOKEN CLexer::ReadUTF8(std::string& text) {
    return CollectQuoted(kApostrophe, text) ? tokens::WSTRING : tokens::NO_TOKEN;
}

// The coded bytes are collected in the lexer's scratch text and decoded into `value` once the
// source is no longer lent, since the decoding is the host's code.
tokens::TOKEN CLexer::ReadQuoteString(std::string& value) {
    const std::uint64_t contentStart = Offset();
    scratch_.clear();
    if (!CollectQuoted(kDoubleQuote, scratch_)) {
        return tokens::NO_TOKEN;
    }
    ReturnLockedRun();
    NoteLineBreaks(scratch_.data(), scratch_.data() + scratch_.size(), contentStart);
    ConvertASCIIcodeToString(scratch_, value);
    return tokens::STRING;
}

tokens::TOKEN CLexer::FindKeyword(const char* word) {
    const std::size_t length = std::strlen(word);
    return Classify(detail::FindWord(word, length), word, length);
}

// `entry` is what the word index holds for the word.
tokens::TOKEN CLexer::Classify(const detail::WordEntry* entry, const char* word,
                               std::size_t length) {
    if (entry == nullptr) {
        CheckValueSize(length);
        narrowValue_.assign(word, length);
        return tokens::STRING;
    }
    switch (entry->token) {
        case tokens::M_VALUE:
            mValue_ = static_cast<tokens::M_TYPE_ENUM>(entry->value);
            break;
        case tokens::P_VALUE:
            pValue_ = static_cast<tokens::P_TYPE_ENUM>(entry->value);
            break;
        case tokens::C_VALUE:
            cValue_ = static_cast<tokens::C_TYPE_ENUM>(entry->value);
            break;
        case tokens::SCOPE_VALUE:
            scopeValue_ = static_cast<tokens::SCOPE_TYPE_ENUM>(entry->value);
            break;
        default:  // a keyword carries no value
            break;
    }
    return entry->token;
}

}  // namespace cmds
