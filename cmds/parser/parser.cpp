#include "cmds/parser/parser.h"

#include <memory>

#include "cmds/parser/parser_internal.h"

#include "cmds/tokens/raise_internal.h"

namespace cmds {

using tokens::TOKEN;

CParser::CParser(CLexerStream& source)
    : lexer_(source), kept_(std::make_unique<detail::ReadState>()) {}

CParser::~CParser() = default;

TOKEN CParser::Next() {
    return lexer_.GetNextToken();
}

void CParser::ParseHeader(TOKEN verb, TOKEN direction) {
    // Both tokens are read even when the first is already wrong.
    const TOKEN first = Next();
    const TOKEN read[2] = {first, Next()};
    const TOKEN expected[2] = {verb, direction};
    Match(read, expected, 2);
}

void CParser::Match(const TOKEN* read, const TOKEN* expected, int count) {
    for (int i = 0; i < count; ++i) {
        if (read[i] != expected[i]) {
            detail::ThrowSyntaxError();
        }
    }
}

void CParser::ExpectToken(TOKEN read, TOKEN expected) {
    if (read != expected) {
        detail::ThrowSyntaxError();
    }
}

// Each tag is read as key, ":", value and the token after it, and only then checked against
// the list's table: an undeclared key or a value of the wrong kind is rejected after that
// fourth token. The value is copied before the fourth token can replace it in the lexer.
TOKEN CParser::ParseTagList(TagMap& tags) {
    for (;;) {
        const TOKEN tag = Next();
        if (tag == tokens::END_OF_INPUT) {
            detail::ThrowSyntaxError();
        }
        if (Next() != tokens::COLON) {
            detail::ThrowSyntaxError();
        }
        const TOKEN kind = Next();
        if (kind < tokens::NUMBER || kind > tokens::SCOPE_VALUE) {
            detail::ThrowSyntaxError();
        }
        TagValue* value = tags.Find(tag);
        const bool accepted = value != nullptr && value->kind == kind;
        if (accepted) {
            CopyValue(*value);
        }
        const TOKEN next = Next();
        if (!accepted) {
            detail::ThrowSyntaxError();
        }
        ++value->count;
        if (next != tokens::COMMA) {
            return next;
        }
    }
}

void CParser::CopyValue(TagValue& value) {
    switch (value.kind) {
        case tokens::NUMBER:
            lexer_.GetNumber(value.number);
            break;
        case tokens::STRING:
            lexer_.GetString(value.narrow);
            break;
        case tokens::WSTRING:
            lexer_.GetWString(value.wide);
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

TOKEN CParser::ParseTag(TOKEN key, std::uint64_t& value) {
    // A body that does not start with the key and ":" has no value to deliver, so it is
    // rejected before any callback.
    ExpectToken(Next(), key);
    ExpectToken(Next(), tokens::COLON);
    return ParseNumber(value);
}

TOKEN CParser::ParseNumber(std::uint64_t& value) {
    ExpectToken(Next(), tokens::NUMBER);
    lexer_.GetNumber(value);
    return Next();
}

CParser::TagValue& CParser::Find(TagMap& tags, TOKEN tag) {
    TagValue* value = tags.Find(tag);
    if (value == nullptr) {
        detail::ThrowRuntimeError();
    }
    return *value;
}

CParser::TagValue& CParser::Single(TagValue& value) {
    if (value.count != 1) {
        detail::ThrowSemanticError();
    }
    return value;
}

std::uint64_t CParser::Retrieve(TagMap& tags, TOKEN tag) {
    return Single(Find(tags, tag)).number;
}

std::uint64_t CParser::Retrieve(TagMap& tags, TOKEN tag, std::uint64_t def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 ? def : Single(value).number;
}

// An enumeration default of 0 (the "none" value) marks the tag as mandatory.
tokens::M_TYPE_ENUM CParser::Retrieve(TagMap& tags, TOKEN tag, tokens::M_TYPE_ENUM def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 && def != tokens::M_NONE
               ? def
               : static_cast<tokens::M_TYPE_ENUM>(Single(value).word);
}

tokens::P_TYPE_ENUM CParser::Retrieve(TagMap& tags, TOKEN tag, tokens::P_TYPE_ENUM def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 && def != tokens::P_NONE
               ? def
               : static_cast<tokens::P_TYPE_ENUM>(Single(value).word);
}

tokens::C_TYPE_ENUM CParser::Retrieve(TagMap& tags, TOKEN tag, tokens::C_TYPE_ENUM def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 && def != tokens::C_NONE
               ? def
               : static_cast<tokens::C_TYPE_ENUM>(Single(value).word);
}

tokens::SCOPE_TYPE_ENUM CParser::Retrieve(TagMap& tags, TOKEN tag, tokens::SCOPE_TYPE_ENUM def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 && def != tokens::SCOPE_NONE
               ? def
               : static_cast<tokens::SCOPE_TYPE_ENUM>(Single(value).word);
}

// A null default marks a string tag as mandatory; an absent optional one takes the default.
const std::string& CParser::RetrieveA(TagMap& tags, TOKEN tag, const char* def) {
    TagValue& value = Find(tags, tag);
    if (value.count == 0 && def != nullptr) {
        value.narrow = def;
        return value.narrow;
    }
    return Single(value).narrow;
}

const wstring& CParser::RetrieveW(TagMap& tags, TOKEN tag, const unsigned short* def) {
    TagValue& value = Find(tags, tag);
    if (value.count == 0 && def != nullptr) {
        value.wide = def;
        return value.wide;
    }
    return Single(value).wide;
}

// RetrieveW for a value that goes into a record: it is swapped in rather than copied.
void CParser::TakeW(TagMap& tags, TOKEN tag, const unsigned short* def, wstring& target) {
    TagValue& value = Find(tags, tag);
    if (value.count == 0 && def != nullptr) {
        if (*def == 0) {
            target.clear();
        } else {
            target.assign(def);
        }
        return;
    }
    target.swap(Single(value).wide);
}

}  // namespace cmds
