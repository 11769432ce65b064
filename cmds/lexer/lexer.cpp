#include "cmds/lexer/lexer.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <string_view>
#include <typeinfo>

#include "cmds/lexer/mt_lexer_stream.h"
#include "cmds/support/tessel.h"
#include "cmds/tokens/raise_internal.h"
#include "cmds/tokens/tables_internal.h"

namespace cmds {

namespace {

// Characters are classified by their ASCII value so that neither the locale nor the signedness
// of char matters; bytes from 0x80 up are neither letters nor digits. The end of the source (-1)
// falls on entry 0xFF, which is none of the classes.
enum CharClass : std::uint8_t { kLetter = 1, kDigit = 2, kBlank = 4 };

constexpr std::array<std::uint8_t, 256> kCharClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 'a'; c <= 'z'; ++c) {
        classes[static_cast<std::size_t>(c)] = kLetter;
        classes[static_cast<std::size_t>(c - 'a' + 'A')] = kLetter;
    }
    for (int c = '0'; c <= '9'; ++c) {
        classes[static_cast<std::size_t>(c)] = kDigit;
    }
    for (char c : {' ', '\t', '\n', '\r'}) {
        classes[static_cast<std::size_t>(c)] = kBlank;
    }
    return classes;
}();

constexpr bool Is(int c, std::uint8_t classes) {
    return (kCharClasses[static_cast<std::size_t>(c & 0xFF)] & classes) != 0;
}
constexpr bool IsLetter(int c) {
    return Is(c, kLetter);
}
constexpr bool IsDigit(int c) {
    return Is(c, kDigit);
}
constexpr bool IsLetterOrDigit(int c) {
    return Is(c, kLetter | kDigit);
}
constexpr bool IsBlank(int c) {
    return Is(c, kBlank);
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

    // Null when no table holds the word, compared without regard to case.
    const Entry* Find(const char* word, std::size_t length) const {
        if (length == 0 || length > kMaxLength) {
            return nullptr;
        }
        for (std::size_t slot = Hash(word, length);; slot = (slot + 1) % kSlots) {
            const Entry& entry = slots_[slot];
            if (entry.length == 0) {
                return nullptr;
            }
            if (entry.length == length && EqualFolded(entry.text, word, length)) {
                return &entry;
            }
        }
    }

private:
    // Over three times the 74 table words, so probe runs stay short and a free slot always ends
    // a search.
    static constexpr std::size_t kSlots = 256;

    // The length and three letters tell the table words apart; a multiplicative mix spreads
    // them over the slots so that probes stay short.
    static std::size_t Hash(const char* word, std::size_t length) {
        const std::uint32_t key =
            static_cast<std::uint32_t>(length) |
            static_cast<std::uint32_t>(static_cast<unsigned char>(FoldCase(word[0]))) << 8 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(FoldCase(word[length / 2])))
                << 16 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(FoldCase(word[length - 1])))
                << 24;
        return (key * 2654435761u) >> 24;
    }

    static bool EqualFolded(const char* folded, const char* word, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i) {
            if (folded[i] != FoldCase(word[i])) {
                return false;
            }
        }
        return true;
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

// The readers below give Scan its characters. Get and PutBack are the source's GetNextChar and
// PutBackChar; the Collect operations read the rest of a word, a number or a quoted string and
// leave the source exactly where reading it character by character would; Finish ends any
// in-place reading before host code (the text conversions) runs.

// Every character through the source's virtual operations.
class VirtualReader {
public:
    explicit VirtualReader(CLexerStreamBase& source) : source_(source) {}

    int Get() { return source_.GetNextChar(); }
    void PutBack(int c) { source_.PutBackChar(c); }
    void Finish() {}

    // The word that starts with `first`, collected in `scratch`.
    std::string_view CollectWord(int first, std::string& scratch) {
        scratch.assign(1, static_cast<char>(first));
        int c = Get();
        while (IsLetterOrDigit(c)) {
            scratch.push_back(static_cast<char>(c));
            c = Get();
        }
        PutBack(c);
        return scratch;
    }

    // Unsigned arithmetic wraps, so a run too long for 64 bits keeps its value modulo 2^64.
    void CollectDigits(std::uint64_t& number) {
        int c = Get();
        while (IsDigit(c)) {
            number = number * 10 + static_cast<std::uint64_t>(c - '0');
            c = Get();
        }
        PutBack(c);
    }

    // Appends the bytes up to the closing `quote`, which is consumed; false when the end of the
    // source comes first.
    bool CollectQuoted(int quote, std::string& text) {
        int c = Get();
        while (c != quote && c != -1) {
            text.push_back(static_cast<char>(c));
            c = Get();
        }
        return c == quote;
    }

private:
    CLexerStreamBase& source_;
};

// Reads runs of characters in place. `open(begin, end)` starts a run (false when none can be
// read in place now) and `close(begin, next)` hands back its unread part; in between nothing
// else touches the source's buffer. Characters beyond a run come through the virtual
// operations, after which a new run is opened.
template <typename Open, typename Close>
class RunReader {
public:
    RunReader(CLexerStreamBase& source, Open open, Close close)
        : source_(source), open_(open), close_(close) {
        OpenRun();
    }
    ~RunReader() { CloseRun(); }

    RunReader(const RunReader&) = delete;
    RunReader& operator=(const RunReader&) = delete;

    int Get() {
        if (next_ != end_) {
            inRun_ = true;
            return static_cast<unsigned char>(*next_++);
        }
        return GetOutsideRun();
    }

    void PutBack(int c) {
        if (inRun_) {
            --next_;
            inRun_ = false;
            return;
        }
        CloseRun();
        source_.PutBackChar(c);
        OpenRun();
    }

    void Finish() { CloseRun(); }

    // A word that lies within the run is returned in place; the character after it is left
    // unread, which is where reading and putting it back would leave the source.
    std::string_view CollectWord(int first, std::string& scratch) {
        if (inRun_) {
            const char* const start = next_ - 1;
            while (next_ != end_ && IsLetterOrDigit(*next_)) {
                ++next_;
            }
            if (next_ != end_) {
                return std::string_view(start, static_cast<std::size_t>(next_ - start));
            }
            scratch.assign(start, next_);
        } else {
            scratch.assign(1, static_cast<char>(first));
        }
        for (;;) {
            const int c = GetOutsideRun();
            if (!IsLetterOrDigit(c)) {
                PutBack(c);
                return scratch;
            }
            scratch.push_back(static_cast<char>(c));
            while (next_ != end_ && IsLetterOrDigit(*next_)) {
                scratch.push_back(*next_++);
            }
            if (next_ != end_) {
                return scratch;
            }
        }
    }

    void CollectDigits(std::uint64_t& number) {
        for (;;) {
            while (next_ != end_ && IsDigit(*next_)) {
                number = number * 10 + static_cast<std::uint64_t>(*next_++ - '0');
            }
            if (next_ != end_) {
                return;
            }
            const int c = GetOutsideRun();
            if (!IsDigit(c)) {
                PutBack(c);
                return;
            }
            number = number * 10 + static_cast<std::uint64_t>(c - '0');
        }
    }

    bool CollectQuoted(int quote, std::string& text) {
        for (;;) {
            if (next_ != end_) {
                const auto* found = static_cast<const char*>(
                    std::memchr(next_, quote, static_cast<std::size_t>(end_ - next_)));
                if (found != nullptr) {
                    text.append(next_, found);
                    next_ = found + 1;
                    inRun_ = true;
                    return true;
                }
                text.append(next_, end_);
                next_ = end_;
            }
            const int c = GetOutsideRun();
            if (c == quote) {
                return true;
            }
            if (c == -1) {
                return false;
            }
            text.push_back(static_cast<char>(c));
        }
    }

private:
    int GetOutsideRun() {
        CloseRun();
        const int c = source_.GetNextChar();
        inRun_ = false;
        OpenRun();
        return c;
    }

    void OpenRun() {
        if (open_(begin_, end_)) {
            runOpen_ = true;
        } else {
            begin_ = end_ = nullptr;
        }
        next_ = begin_;
    }

    void CloseRun() {
        if (runOpen_) {
            runOpen_ = false;
            close_(begin_, next_);
            begin_ = end_ = next_ = nullptr;
        }
    }

    CLexerStreamBase& source_;
    Open open_;
    Close close_;
    bool runOpen_ = false;
    bool inRun_ = false;  // whether the last character read came from the current run
    const char* begin_ = nullptr;
    const char* next_ = nullptr;
    const char* end_ = nullptr;
};

template <typename Open, typename Close>
RunReader(CLexerStreamBase&, Open, Close) -> RunReader<Open, Close>;

}  // namespace

CLexer::CLexer(CLexerStreamBase& source) : source_(source) {}

CLexer::~CLexer() = default;

tokens::TOKEN CLexer::GetNextToken() {
    if (sourceKind_ == SourceKind::kUnknown) {
        const std::type_info& type = typeid(source_);
        sourceKind_ = type == typeid(CStrLexerStream)  ? SourceKind::kString
                      : type == typeid(CMtLexerStream) ? SourceKind::kFeed
                                                       : SourceKind::kVirtual;
    }
    switch (sourceKind_) {
        case SourceKind::kString: {
            auto& text = static_cast<CStrLexerStream&>(source_);
            detail::SourceBuffer& buffer = text.ownedBuffer;
            const std::iostream& stream = text.ownedStream;
            // Once the end has been met the stream is no longer good, and every read goes
            // through GetNextChar, which reports the end again.
            RunReader reader(
                source_,
                [&buffer, &stream](const char*& begin, const char*& end) {
                    if (!stream.good()) {
                        return false;
                    }
                    begin = buffer.ReadBegin();
                    end = buffer.ReadEnd();
                    return begin != end;
                },
                [&buffer](const char*, const char* next) { buffer.SetReadPosition(next); });
            return Scan(reader);
        }
        case SourceKind::kFeed: {
            auto& feed = static_cast<CMtLexerStream&>(source_);
            RunReader reader(
                source_,
                [&feed](const char*& begin, const char*& end) { return feed.OpenRun(begin, end); },
                [&feed](const char* begin, const char* next) { feed.CloseRun(begin, next); });
            return Scan(reader);
        }
        default: {
            VirtualReader reader(source_);
            return Scan(reader);
        }
    }
}

template <typename Reader>
tokens::TOKEN CLexer::Scan(Reader& reader) {
    int c = reader.Get();
    while (IsBlank(c)) {
        c = reader.Get();
    }
    tokens::TOKEN token = tokens::NO_TOKEN;
    if (IsLetter(c)) {
        token = ClassifyWord(reader.CollectWord(c, scratch_));
    } else if (IsDigit(c)) {
        std::uint64_t number = static_cast<std::uint64_t>(c - '0');
        reader.CollectDigits(number);
        numberValue_ = number;
        token = tokens::NUMBER;
    } else if (c == -1) {
        token = tokens::END_OF_INPUT;
    } else if (c == kDoubleQuote) {
        narrowValue_.clear();
        scratch_.clear();
        const bool closed = reader.CollectQuoted(kDoubleQuote, scratch_);
        reader.Finish();
        if (closed) {
            ConvertASCIIcodeToString(scratch_, narrowValue_);
            token = tokens::STRING;
        }
    } else if (c == kApostrophe) {
        scratch_.clear();
        const bool closed = reader.CollectQuoted(kApostrophe, scratch_);
        reader.Finish();
        // Converted even when the string is unterminated; the error follows below.
        ConvertUTF8ToUnicode(scratch_, wideValue_);
        token = closed ? tokens::WSTRING : tokens::NO_TOKEN;
    } else {
        token = PunctuationToken(c);
    }
    if (token == tokens::NO_TOKEN) {
        reader.Finish();
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

// The protected steps read through the source's virtual operations, one character at a time.

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
    std::uint64_t number = 0;
    if (IsDigit(first)) {
        number = static_cast<std::uint64_t>(first - '0');
        VirtualReader(source_).CollectDigits(number);
    } else {
        source_.PutBackChar(first);
    }
    value = number;
    return tokens::NUMBER;
}

tokens::TOKEN CLexer::ReadUTF8(std::string& text) {
    return VirtualReader(source_).CollectQuoted(kApostrophe, text) ? tokens::WSTRING
                                                                   : tokens::NO_TOKEN;
}

tokens::TOKEN CLexer::ReadQuoteString(std::string& value) {
    std::string code;
    if (!VirtualReader(source_).CollectQuoted(kDoubleQuote, code)) {
        return tokens::NO_TOKEN;
    }
    ConvertASCIIcodeToString(code, value);
    return tokens::STRING;
}

tokens::TOKEN CLexer::FindKeyword(const char* word) {
    return ClassifyWord(word);
}

tokens::TOKEN CLexer::ClassifyWord(std::string_view word) {
    const WordIndex::Entry* entry = Words().Find(word.data(), word.size());
    if (entry == nullptr) {
        narrowValue_.assign(word);
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
