#include "cmds/lexer/lexer.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cmds/support/tessel.h"
#include "cmds/tokens/raise_internal.h"
#include "cmds/tokens/tables_internal.h"

namespace cmds {

namespace {

// Characters are classified by their ASCII value so that neither the locale nor the signedness
// of char matters; bytes from 0x80 up are neither letters nor digits.
constexpr bool IsLetter(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsLetterOrDigit(int c) {
    return IsLetter(c) || IsDigit(c);
}
constexpr bool IsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
constexpr char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

constexpr int kDoubleQuote = '"';
constexpr int kApostrophe = '\'';

tokens::TOKEN PunctuationToken(int c) {
    switch (c) {
        case ':':
            return tokens::COLON;
        case ',':
            return tokens::COMMA;
        case '{':
            return tokens::LBRACE;
        case '}':
            return tokens::RBRACE;
        case '(':
            return tokens::LPAREN;
        case ')':
            return tokens::RPAREN;
        case '[':
            return tokens::LBRACKET;
        case ']':
            return tokens::RBRACKET;
        case ';':
            return tokens::SEMICOLON;
        case '+':
            return tokens::PLUS;
        case '-':
            return tokens::MINUS;
        case '*':
            return tokens::STAR;
        default:
            return tokens::NO_TOKEN;
    }
}

// The words of the keyword table and the four value tables, case-folded, in an open-addressing
// hash table. Built once; a word that occurs in several tables keeps its first place in search
// order (keywords, M, P, C, scope).
class WordIndex {
public:
    struct Entry {
        char text[12];       // case-folded, NUL-terminated
        std::size_t length;  // 0 marks a free slot
        tokens::TOKEN token;
        int value;  // the enumeration value of a value word
    };

    static constexpr std::size_t kMaxLength = sizeof(Entry::text) - 1;

    WordIndex() {
        for (int token = 1; token < kKeywordCount; ++token) {
            Add(detail::kKeywordTexts[token], static_cast<tokens::TOKEN>(token), 0);
        }
        AddValueWords(detail::kMTypeTexts, kMTypeCount, tokens::M_VALUE);
        AddValueWords(detail::kPTypeTexts, kPTypeCount, tokens::P_VALUE);
        AddValueWords(detail::kCTypeTexts, kCTypeCount, tokens::C_VALUE);
        AddValueWords(detail::kScopeTypeTexts, kScopeTypeCount, tokens::SCOPE_VALUE);
    }

    // `folded` holds `length` case-folded bytes; null when no table holds the word.
    const Entry* Find(const char* folded, std::size_t length) const {
        for (std::size_t slot = Hash(folded, length);; slot = (slot + 1) % kSlots) {
            const Entry& entry = slots_[slot];
            if (entry.length == 0) {
                return nullptr;
            }
            if (entry.length == length && std::memcmp(entry.text, folded, length) == 0) {
                return &entry;
            }
        }
    }

private:
    // Over three times the 74 table words, so probe runs stay short and a free slot always ends
    // a search.
    static constexpr std::size_t kSlots = 256;

    static std::size_t Hash(const char* folded, std::size_t length) {
        std::uint32_t hash = 2166136261u;  // FNV-1a
        for (std::size_t i = 0; i < length; ++i) {
            hash = (hash ^ static_cast<unsigned char>(folded[i])) * 16777619u;
        }
        return hash % kSlots;
    }

    // Entry 0 of every table is the empty text, which is never matched.
    void AddValueWords(const char* const* table, int count, tokens::TOKEN token) {
        for (int value = 1; value < count; ++value) {
            Add(table[value], token, value);
        }
    }

    void Add(const char* text, tokens::TOKEN token, int value) {
        Entry entry{};
        entry.length = std::strlen(text);
        assert(entry.length <= kMaxLength);
        for (std::size_t i = 0; i < entry.length; ++i) {
            entry.text[i] = FoldCase(text[i]);
        }
        entry.token = token;
        entry.value = value;
        if (Find(entry.text, entry.length) == nullptr) {
            Insert(entry);
        }
    }

    void Insert(const Entry& entry) {
        std::size_t slot = Hash(entry.text, entry.length);
        while (slots_[slot].length != 0) {
            slot = (slot + 1) % kSlots;
        }
        slots_[slot] = entry;
    }

    std::array<Entry, kSlots> slots_{};
};

const WordIndex& Words() {
    static const WordIndex words;
    return words;
}

}  // namespace

CLexer::CLexer(CLexerStreamBase& source) : source_(source) {}

CLexer::~CLexer() = default;

tokens::TOKEN CLexer::GetNextToken() {
    const int c = SkipBlanks();
    tokens::TOKEN token = tokens::NO_TOKEN;
    if (IsLetter(c)) {
        std::string word(1, static_cast<char>(c));
        ReadString(word);
        token = FindKeyword(word.c_str());
    } else if (IsDigit(c)) {
        token = ReadNumber(c, numberValue_);
    } else if (c == -1) {
        token = tokens::END_OF_INPUT;
    } else if (c == kDoubleQuote) {
        narrowValue_.clear();
        token = ReadQuoteString(narrowValue_);
    } else if (c == kApostrophe) {
        std::string text;
        token = ReadUTF8(text);
        // Converted even when the string is unterminated; the error follows below.
        ConvertUTF8ToUnicode(text, wideValue_);
    } else {
        token = PunctuationToken(c);
    }
    if (token == tokens::NO_TOKEN) {
        detail::ThrowLexError();
    }
    lastToken_ = token;
    return token;
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

int CLexer::SkipBlanks() {
    int c = source_.GetNextChar();
    while (IsBlank(c)) {
        c = source_.GetNextChar();
    }
    return c;
}

void CLexer::ReadString(std::string& word) {
    int c = source_.GetNextChar();
    while (IsLetterOrDigit(c)) {
        word.push_back(static_cast<char>(c));
        c = source_.GetNextChar();
    }
    source_.PutBackChar(c);
}

tokens::TOKEN CLexer::ReadNumber(int first, std::uint64_t& value) {
    // Unsigned arithmetic wraps, so a run too long for 64 bits keeps its value modulo 2^64.
    std::uint64_t number = 0;
    int c = first;
    while (IsDigit(c)) {
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
        c = source_.GetNextChar();
    }
    source_.PutBackChar(c);
    value = number;
    return tokens::NUMBER;
}

tokens::TOKEN CLexer::ReadUTF8(std::string& text) {
    int c = source_.GetNextChar();
    while (c != kApostrophe && c != -1) {
        text.push_back(static_cast<char>(c));
        c = source_.GetNextChar();
    }
    return c == kApostrophe ? tokens::WSTRING : tokens::NO_TOKEN;
}

tokens::TOKEN CLexer::ReadQuoteString(std::string& value) {
    std::string code;
    int c = source_.GetNextChar();
    while (c != kDoubleQuote && c != -1) {
        code.push_back(static_cast<char>(c));
        c = source_.GetNextChar();
    }
    if (c == -1) {
        return tokens::NO_TOKEN;
    }
    ConvertASCIIcodeToString(code, value);
    return tokens::STRING;
}

tokens::TOKEN CLexer::FindKeyword(const char* word) {
    // Every table word is short, so a longer word is a plain string without a look-up.
    char folded[WordIndex::kMaxLength];
    std::size_t length = 0;
    for (; word[length] != '\0'; ++length) {
        if (length == WordIndex::kMaxLength) {
            narrowValue_.assign(word);
            return tokens::STRING;
        }
        folded[length] = FoldCase(word[length]);
    }
    const WordIndex::Entry* entry = Words().Find(folded, length);
    if (entry == nullptr) {
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
