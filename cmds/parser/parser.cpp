#include "cmds/parser/parser.h"

#include "cmds/tokens/raise_internal.h"

namespace cmds {

using tokens::TOKEN;

CParser::TagValue& CParser::TagValue::operator=(const TagValue& other) {
    wide = other.wide;
    narrow = other.narrow;
    number = other.number;
    mtype = other.mtype;
    ptype = other.ptype;
    ctype = other.ctype;
    scope = other.scope;
    ++count;
    return *this;
}

CParser::CParser(CLexerStream& source) : lexer_(source) {}

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

void CParser::Declare(TagMap& tags, std::initializer_list<TagDecl> decls) {
    for (const TagDecl& decl : decls) {
        tags.emplace(decl.tag, std::make_pair(decl.kind, TagValue()));
    }
}

TOKEN CParser::ParseTag(TOKEN& tag, std::pair<TOKEN, TagValue>& value) {
    tag = Next();
    if (tag == tokens::END_OF_INPUT) {
        detail::ThrowSyntaxError();
    }
    const TOKEN separator = Next();
    if (separator != tokens::COLON) {
        return separator;
    }
    value.first = Next();
    TagValue& field = value.second;
    switch (value.first) {
        case tokens::NUMBER:
            lexer_.GetNumber(field.number);
            break;
        case tokens::STRING:
            lexer_.GetString(field.narrow);
            break;
        case tokens::WSTRING:
            lexer_.GetWString(field.wide);
            break;
        case tokens::M_VALUE:
            lexer_.GetMType(field.mtype);
            break;
        case tokens::P_VALUE:
            lexer_.GetPType(field.ptype);
            break;
        case tokens::C_VALUE:
            lexer_.GetCType(field.ctype);
            break;
        case tokens::SCOPE_VALUE:
            lexer_.GetScopeType(field.scope);
            break;
        default:
            detail::ThrowSyntaxError();
    }
    return Next();
}

TOKEN CParser::ParseTagList(TagMap& tags) {
    for (;;) {
        TOKEN tag = tokens::NO_TOKEN;
        std::pair<TOKEN, TagValue> value(tokens::NO_TOKEN, TagValue());
        const TOKEN next = ParseTag(tag, value);
        const auto entry = tags.find(tag);
        if (entry == tags.end() || entry->second.first != value.first) {
            detail::ThrowSyntaxError();
        }
        entry->second.second = value.second;
        if (next != tokens::COMMA) {
            return next;
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
    const auto entry = tags.find(tag);
    if (entry == tags.end()) {
        detail::ThrowRuntimeError();
    }
    return entry->second.second;
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
    return value.count == 0 && def != tokens::M_NONE ? def : Single(value).mtype;
}

tokens::P_TYPE_ENUM CParser::Retrieve(TagMap& tags, TOKEN tag, tokens::P_TYPE_ENUM def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 && def != tokens::P_NONE ? def : Single(value).ptype;
}

tokens::C_TYPE_ENUM CParser::Retrieve(TagMap& tags, TOKEN tag, tokens::C_TYPE_ENUM def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 && def != tokens::C_NONE ? def : Single(value).ctype;
}

tokens::SCOPE_TYPE_ENUM CParser::Retrieve(TagMap& tags, TOKEN tag, tokens::SCOPE_TYPE_ENUM def) {
    TagValue& value = Find(tags, tag);
    return value.count == 0 && def != tokens::SCOPE_NONE ? def : Single(value).scope;
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

}  // namespace cmds
