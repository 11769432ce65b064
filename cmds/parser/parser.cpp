#include "cmds/parser/parser.h"

#include <cstring>
#include <memory>
#include <utility>

#include "cmds/lexer/run_cursor_internal.h"
#include "cmds/lexer/utf8_internal.h"
#include "cmds/parser/parser_internal.h"
#include "cmds/support/tessel.h"
#include "cmds/tokens/tables_internal.h"

namespace cmds {

using tokens::TOKEN;

CParser::CParser(CLexerStream& source) : lexer_(source) {}

CParser::~CParser() = default;

detail::ReadState& CParser::State() {
    if (!state_) {
        state_ = std::make_unique<detail::ReadState>();
    }
    return *state_;
}

void CParser::SetLimits(const CReadLimits& limits) {
    limits_ = limits;
    lexer_.SetMaxValueBytes(limits.maxValueBytes);
}

#define CMDS_PARSE_COMMAND(id, Name, verb, direction)                           \
    void CParser::Parse(I##Name& sink) {                                        \
        detail::Reader reader(lexer_, State(), eCommand##Name, limits_, false); \
        reader.Run(sink);                                                       \
    }
CMDS_COMMAND_TABLE(CMDS_PARSE_COMMAND)
#undef CMDS_PARSE_COMMAND

namespace detail {

namespace {

// What a tag of each value kind takes, for messages.
const char* KindText(TOKEN kind) {
    switch (kind) {
        case tokens::NUMBER:
            return "a number";
        case tokens::STRING:
            return "a string";
        case tokens::WSTRING:
            return "a wide string";
        case tokens::M_VALUE:
            return "all, any or expression";
        case tokens::P_VALUE:
            return "on, off, begin or end";
        case tokens::C_VALUE:
            return "yes or no";
        default:
            return "global, myself or friend";
    }
}

// A keyword as written, punctuation in quotes.
std::string TokenText(TOKEN token) {
    if (token >= tokens::COLON && token < kKeywordCount) {
        return std::string("'") + kKeywordTexts[token] + "'";
    }
    if (token > tokens::NO_TOKEN && token < tokens::COLON) {
        return kKeywordTexts[token];
    }
    return token == tokens::NUMBER ? "a number" : "a value";
}

}  // namespace

ErrorDetail Reader::Context() const {
    ErrorDetail detail;
    detail.command = command_;
    detail.tag = tag_;
    if (record_.kind != nullptr) {
        detail.record = std::string(record_.kind) + " record " + std::to_string(record_.number);
        if (record_.host != 0) {
            detail.record += " of host record " + std::to_string(record_.host);
        }
    }
    return detail;
}

void Reader::Fail(ErrorCode code, const CTextPosition& at, std::string reason, TOKEN tag) const {
    ErrorDetail detail = Context();
    detail.position = at;
    detail.reason = std::move(reason);
    if (tag != tokens::NO_TOKEN) {
        detail.tag = tag;
    }
    ThrowLocated(code, std::move(detail));
}

void Reader::AddContext(CCmdError& error) const {
    if (!error.Located() || error.Command() >= 0) {
        return;
    }
    ErrorDetail detail = Context();
    detail.position = error.Position();
    detail.reason = error.Reason();
    error.Locate(std::make_shared<const ErrorDetail>(std::move(detail)));
}

void Reader::CountRecord() {
    ++records_;
    if (limits_.maxRecordsPerCommand != 0 && records_ > limits_.maxRecordsPerCommand) {
        Fail(kSyntaxErrorCode, lexer_.GetTokenPosition(),
             "more records than the limit of " + std::to_string(limits_.maxRecordsPerCommand));
    }
}

TOKEN Reader::Next() {
    {
        RunCursor run(lexer_);
        const TOKEN mark = run.TakeMark();
        if (mark != tokens::NO_TOKEN) {
            run.Commit();
            return mark;
        }
    }
    return lexer_.GetNextToken();
}

// Both tokens are read even when the first is already wrong; the first wrong one is at fault.
void Reader::Header() {
    if (headerRead_) {
        return;
    }
    const CCommandInfo& info = kCommands[command_];
    {
        RunCursor run(lexer_);
        if (run.TakePhrase(kFoldedHeaders[static_cast<std::size_t>(command_)]) ||
            (run.TakeKeyword(info.verb) && run.TakeKeyword(info.direction))) {
            run.TakeHeaderBreak();
            run.Commit();
            return;
        }
    }
    const TOKEN verb = Next();
    CTextPosition faultAt;
    const bool verbWrong = verb != info.verb;
    if (verbWrong) {
        faultAt = lexer_.GetTokenPosition();
        fault_ = lexer_.DescribeToken();
    }
    const TOKEN direction = Next();
    if (!verbWrong && direction != info.direction) {
        faultAt = lexer_.GetTokenPosition();
        fault_ = lexer_.DescribeToken();
    } else if (!verbWrong) {
        return;
    }
    Fail(kSyntaxErrorCode, faultAt, std::string("expected ") + info.name + "; read " + fault_);
}

void Reader::Expect(TOKEN read, TOKEN expected) {
    if (read != expected) {
        Fail(kSyntaxErrorCode, lexer_.GetTokenPosition(),
             "expected " + TokenText(expected) + "; read " + lexer_.DescribeToken());
    }
}

// Tags are read in place where the source lends their bytes and they are well formed; anything
// else, and any fault, is read as tokens, which tell what is wrong and where.
TOKEN Reader::ReadTagList(TagList& tags) {
    for (std::size_t count = 1;; ++count) {
        TOKEN next = tokens::NO_TOKEN;
        if (ReadTagsInPlace(tags, count, next) == InPlace::kNothing) {
            next = ReadTagAsTokens(tags, count);
        } else if (next == tokens::NO_TOKEN) {
            next = Next();
        }
        if (next != tokens::COMMA) {
            tag_ = tokens::NO_TOKEN;
            tags.end = lexer_.GetTokenPosition();
            return next;
        }
    }
}

// Reads tags from number `count` on as ReadTagAsTokens would, as long as the source lends the
// whole of each and it holds a key of the list not given before, its ':' and a value of the key's
// kind within the limits, followed by a comma. Returns kTag after a tag that no comma follows,
// with `after` the punctuation mark after it, taken as the lexer's last token, or NO_TOKEN when
// something else follows, left unread; returns kNothing with `count` at the tag it could not
// read. Compiled as one function, so that the view of the run stays in registers.
#if defined(__GNUC__)
__attribute__((flatten))
#endif
Reader::InPlace
Reader::ReadTagsInPlace(TagList& tags, std::size_t& count, TOKEN& after) {
    RunCursor run(lexer_);
    const std::size_t maxBytes =
        limits_.maxValueBytes == 0 ? std::size_t(-1) : limits_.maxValueBytes;
    const std::size_t maxTags =
        limits_.maxTagsPerList == 0 ? std::size_t(-1) : limits_.maxTagsPerList;
    const TagTable& table = tags.Table();
    // The slot a writer that follows the list's order puts next, if the tags so far were its.
    auto expected = static_cast<int>(count - 1);
    for (;; ++count) {
        if (count > maxTags) {
            return InPlace::kNothing;
        }
        // Blanks are looked for only where what is expected is not found.
        int slot = expected;
        if (slot < table.Size() && table.IsKeyWithColonAt(slot, run.next, run.Readable())) {
            run.next += table.KeyLength(slot) + 1;
        } else {
            run.SkipBlanks();
            const std::size_t keyLength = run.WordLength();
            slot = keyLength == 0 ? -1 : table.FindKey(run.next, keyLength, run.Readable());
            if (slot < 0) {
                return InPlace::kNothing;
            }
            run.next += keyLength;
            run.SkipBlanks();
            if (run.next == run.end || *run.next != ':') {
                return InPlace::kNothing;
            }
            ++run.next;
        }
        // A repeated tag is left to the tokens, which tell where it was repeated.
        TagValue& value = tags.Value(slot);
        if (value.count != 0) {
            return InPlace::kNothing;
        }
        expected = slot + 1;
        run.SkipBlanks();
        if (run.next == run.end || !ReadValueInPlace(run, tags, slot, maxBytes)) {
            return InPlace::kNothing;
        }
        value.count = 1;
        if (run.next == run.end || *run.next != ',') {
            run.SkipBlanks();
            if (run.next == run.end || *run.next != ',') {
                after = run.TakeMark();
                run.Commit();
                return InPlace::kTag;
            }
        }
        ++run.next;
        run.Commit();
    }
}

// Reads the value of the tag in `slot` from where `run` stands, which is within the run; false
// when it cannot be read in place, leaving the value's fields unspecified. Once the value is
// read, what it was read from may have been returned to the source.
bool Reader::ReadValueInPlace(RunCursor& run, TagList& tags, int slot, std::size_t maxBytes) {
    const TOKEN tag = tags.Table().Tag(slot);
    const TOKEN kind = tags.Table().Kind(slot);
    TagValue& value = tags.Value(slot);
    switch (kind) {
        case tokens::NUMBER:
            if (!run.TakeNumber(maxBytes, value.number)) {
                return false;
            }
            break;
        case tokens::WSTRING:
        case tokens::STRING: {
            const char quote = kind == tokens::WSTRING ? '\'' : '"';
            if (*run.next != quote) {
                return false;
            }
            const char* const text = run.next + 1;
            bool hasLineFeed = true;
            const char* const close = FindByte(text, run.end, quote, hasLineFeed);
            if (close == nullptr || static_cast<std::size_t>(close - text) > maxBytes) {
                return false;
            }
            const auto length = static_cast<std::size_t>(close - text);
            const bool decoded = kind == tokens::WSTRING &&
                                 DecodeUtf8(text, length, static_cast<std::size_t>(run.end - text),
                                            TagList::WideOf(value));
            run.next = close + 1;
            if (hasLineFeed) {
                run.NoteLineFeeds(text, close);
            }
            if (!decoded) {
                // The support library never runs while the source is locked: the bytes are
                // copied and the run returned, up to the end of the value, meanwhile.
                tag_ = tag;
                std::string& bytes = run.Scratch();
                bytes.clear();  // an append to a string with room costs less than an assign
                bytes.append(text, length);
                const bool locked = !run.Keepable();
                if (locked) {
                    run.Pause();
                }
                if (kind == tokens::WSTRING) {
                    ConvertUTF8ToUnicode(bytes, TagList::WideOf(value));
                } else {
                    value.narrow.clear();
                    ConvertASCIIcodeToString(bytes, value.narrow);
                }
                if (locked) {
                    run.Resume();
                }
            }
            break;
        }
        default: {
            const std::size_t length = run.WordLength();
            const WordEntry* const setting =
                length == 0 ? nullptr : FindAlphanumericWord(run.next, length);
            if (setting == nullptr || setting->token != kind) {
                return false;
            }
            run.next += length;
            value.word = setting->value;
            break;
        }
    }
    tag_ = tag;
    return true;
}

// Each tag is read as key, ":", value and the token after it, and only then checked against
// the list's table: an undeclared key or a value of the wrong kind is rejected after that
// fourth token. The value is copied before the fourth token can replace it in the lexer.
TOKEN Reader::ReadTagAsTokens(TagList& tags, std::size_t count) {
    const TOKEN key = Next();
    const CTextPosition keyAt = lexer_.GetTokenPosition();
    const bool isKeyword = key > tokens::NO_TOKEN && key < tokens::COLON;
    if (key == tokens::END_OF_INPUT) {
        Fail(kSyntaxErrorCode, keyAt, "expected a tag; read the end of the input");
    }
    if (limits_.maxTagsPerList != 0 && count > limits_.maxTagsPerList) {
        Fail(kSyntaxErrorCode, keyAt,
             "more tags in one list than the limit of " + std::to_string(limits_.maxTagsPerList));
    }
    // Only a keyword can be a tag; anything else is described before it is read past.
    if (!isKeyword) {
        fault_ = "expected a tag; read " + lexer_.DescribeToken();
    }
    tag_ = isKeyword ? key : tokens::NO_TOKEN;
    // Without its ':' a key that this list does not take is the fault, not what follows it.
    if (Next() != tokens::COLON) {
        if (!isKeyword) {
            Fail(kSyntaxErrorCode, keyAt, fault_);
        }
        if (tags.Find(key) == nullptr) {
            Fail(kSyntaxErrorCode, keyAt, TokenText(key) + " is not a tag of " + Owner(tags));
        }
        Fail(kSyntaxErrorCode, lexer_.GetTokenPosition(),
             "expected ':' after " + TokenText(key) + "; read " + lexer_.DescribeToken());
    }
    const TOKEN kind = Next();
    if (kind < tokens::NUMBER || kind > tokens::SCOPE_VALUE) {
        Fail(kSyntaxErrorCode, lexer_.GetTokenPosition(),
             "expected a value; read " + lexer_.DescribeToken());
    }
    // A fault found here is raised only once the token after the value has been read.
    TagValue* value = tags.Find(key);
    CTextPosition faultAt = keyAt;
    if (value == nullptr) {
        if (isKeyword) {
            fault_ = TokenText(key) + " is not a tag of " + Owner(tags);
        }
    } else if (tags.KindOf(key) != kind) {
        faultAt = lexer_.GetTokenPosition();
        fault_ = TokenText(key) + " takes " + KindText(tags.KindOf(key)) + "; read " +
                 lexer_.DescribeToken();
        value = nullptr;
    } else {
        CopyValue(*value, kind);
    }
    const TOKEN next = Next();
    if (value == nullptr) {
        Fail(kSyntaxErrorCode, faultAt, fault_);
    }
    if (++value->count == 2) {
        value->repeatedAt = keyAt;
    }
    return next;
}

void Reader::CopyValue(TagValue& value, TOKEN kind) {
    switch (kind) {
        case tokens::NUMBER:
            lexer_.GetNumber(value.number);
            break;
        case tokens::STRING:
            lexer_.GetString(value.narrow);
            break;
        case tokens::WSTRING:
            lexer_.GetWString(TagList::WideOf(value));
            break;
        case tokens::M_VALUE: {
            tokens::M_TYPE_ENUM word = tokens::M_NONE;
            lexer_.GetMType(word);
            value.word = word;
            break;
        }
        case tokens::P_VALUE: {
            tokens::P_TYPE_ENUM word = tokens::P_NONE;
            lexer_.GetPType(word);
            value.word = word;
            break;
        }
        case tokens::C_VALUE: {
            tokens::C_TYPE_ENUM word = tokens::C_NONE;
            lexer_.GetCType(word);
            value.word = word;
            break;
        }
        default: {
            tokens::SCOPE_TYPE_ENUM word = tokens::SCOPE_NONE;
            lexer_.GetScopeType(word);
            value.word = word;
            break;
        }
    }
}

// A body that does not start with the key and ":" has no value to deliver, so it is rejected
// before any callback.
TOKEN Reader::ReadTag(TOKEN key, std::uint64_t& value) {
    bool readInPlace = false;
    {
        RunCursor run(lexer_);
        if (run.TakeKeyWithColon(key) && run.TakeNumber(limits_.maxValueBytes, value)) {
            const TOKEN mark = run.TakeMark();
            run.Commit();
            if (mark != tokens::NO_TOKEN) {
                return mark;
            }
            readInPlace = true;
        }
    }
    if (readInPlace) {
        return Next();
    }
    Expect(Next(), key);
    tag_ = key;
    Expect(Next(), tokens::COLON);
    if (Next() != tokens::NUMBER) {
        Fail(kSyntaxErrorCode, lexer_.GetTokenPosition(),
             TokenText(key) + " takes a number; read " + lexer_.DescribeToken());
    }
    lexer_.GetNumber(value);
    tag_ = tokens::NO_TOKEN;
    return Next();
}

void Reader::RefuseUndeclared(const TagList& tags, TOKEN tag) const {
    Fail(kRuntimeErrorCode, tags.end,
         TokenText(tag) + " is retrieved but not declared by " + Owner(tags), tag);
}

void Reader::RefuseCount(const TagList& tags, const TagValue& value, TOKEN tag) const {
    if (value.count == 0) {
        Fail(kSemanticErrorCode, tags.end, "tag " + TokenText(tag) + " is missing", tag);
    }
    Fail(kSemanticErrorCode, value.repeatedAt, "tag " + TokenText(tag) + " is given twice", tag);
}

}  // namespace detail
}  // namespace cmds
