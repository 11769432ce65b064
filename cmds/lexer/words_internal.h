// The lexer's character classes and its lookup of words, shared with the framer so that a
// header is recognised exactly as the lexer reads it.
#ifndef CMDS_LEXER_WORDS_INTERNAL_H
#define CMDS_LEXER_WORDS_INTERNAL_H

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cmds/tokens/tables_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "cmds/tokens/tokens.h"

namespace cmds::detail {

// Characters are classified by their ASCII value so that neither the locale nor the signedness
// of char matters; bytes from 0x80 up are neither letters nor digits. The end of the source (-1)
// falls on entry 0xFF, which is none of the classes.
enum CharClass : std::uint8_t { kLetter = 1, kDigit = 2, kBlank = 4 };

inline constexpr std::array<std::uint8_t, 256> kCharClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (std::size_t c = 'a'; c <= 'z'; ++c) {
        classes[c] = kLetter;
    }
    for (std::size_t c = 'A'; c <= 'Z'; ++c) {
        classes[c] = kLetter;
    }
    for (std::size_t c = '0'; c <= '9'; ++c) {
        classes[c] = kDigit;
    }
    for (const unsigned char c : {' ', '\t', '\n', '\r'}) {
        classes[c] = kBlank;
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

// Counts the line feeds among [begin, end), whose first byte lies at `offset`, into `line` and
// `lineStart`, the offset where the last line starts.
inline void CountLineFeeds(const char* begin, const char* end, std::uint64_t offset,
                           std::size_t& line, std::uint64_t& lineStart) {
    for (const char* p = begin; p != end; ++p) {
        p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (p == nullptr) {
            return;
        }
        ++line;
        lineStart = offset + static_cast<std::uint64_t>(p - begin) + 1;
    }
}

// The first `c` in [begin, end), or null. Quoted values are mostly short, so they are searched
// inline, 16 bytes at a time, rather than through a call. `lineFeedBefore` tells whether a line
// feed may lie before what was found, so that most values need no second search for one: false
// means that none does.
inline const char* FindByte(const char* begin, const char* end, char c, bool& lineFeedBefore) {
    lineFeedBefore = true;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    bool earlier = false;
    for (; end - begin >= 16; begin += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        const auto lineFeeds =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
        if (found != 0) {
            // The line feeds of this block below the lowest bit found lie before it.
            lineFeedBefore = earlier || (lineFeeds & ((found & (0U - found)) - 1)) != 0;
            return begin + __builtin_ctz(found);
        }
        earlier = earlier || lineFeeds != 0;
    }
#endif
    return static_cast<const char*>(std::memchr(begin, c, static_cast<std::size_t>(end - begin)));
}

inline const char* FindByte(const char* begin, const char* end, char c) {
    bool lineFeedBefore = false;
    return FindByte(begin, end, c, lineFeedBefore);
}

// The length of the run of ASCII letters and digits that starts at `begin`, up to `end`.
inline std::size_t AlphanumericLength(const char* begin, const char* end) {
    const char* p = begin;
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Bytes from 0x80 up compare as negative and so fall in neither range.
        const __m128i lower = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                             _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('0' - 1)),
                                            _mm_cmplt_epi8(bytes, _mm_set1_epi8('9' + 1)));
        const auto others =
            static_cast<unsigned>(~_mm_movemask_epi8(_mm_or_si128(letter, digit))) & 0xFFFFu;
        if (others != 0) {
            return static_cast<std::size_t>(p - begin) +
                   static_cast<std::size_t>(__builtin_ctz(others));
        }
        p += 16;
    }
#endif
    while (p != end && IsLetterOrDigit(*p)) {
        ++p;
    }
    return static_cast<std::size_t>(p - begin);
}

// A word of at most 15 bytes, folded to lower case and padded with zeros to 16.
using FoldedWord = std::array<char, 16>;

constexpr FoldedWord Fold(const char* text) {
    FoldedWord folded{};
    for (std::size_t i = 0; text[i] != 0 && i + 1 < folded.size(); ++i) {
        folded[i] = FoldCase(text[i]);
    }
    return folded;
}

// Whether the word of ASCII letters and digits [word, word + length) is `folded` without
// regard to case; `readable` bytes from `word` on may be read.
inline bool IsFoldedWord(const char* word, std::size_t length, const FoldedWord& folded,
                         std::size_t readable) {
    if (length >= folded.size() || folded[length] != 0) {
        return false;
    }
#if defined(__SSE2__)
    if (readable >= 16) {
        const __m128i bytes = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(word)),
                                           _mm_set1_epi8(0x20));
        const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(folded.data()));
        const auto equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, text)));
        const unsigned wanted = (1u << length) - 1;
        return (equal & wanted) == wanted;
    }
#endif
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<char>(word[i] | 0x20) != folded[i]) {
            return false;
        }
    }
    return true;
}

// Whether the key `folded`, of `length` bytes, in any case, and its ':' right after it start the
// `readable` bytes at `at`.
inline bool IsKeyWithColon(const char* at, std::size_t readable, const FoldedWord& folded,
                           std::size_t length) {
    return readable > length && at[length] == ':' && IsFoldedWord(at, length, folded, readable);
}

// The token of a one-character punctuation mark, or NO_TOKEN.
constexpr tokens::TOKEN PunctuationToken(int c) {
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

// Words of ASCII letters and digits separated by single spaces, at most 31 bytes, folded to
// lower case and padded with zeros to 32, with the bit that folds each byte: 0x20 on letters
// only, so that no other byte can pass for the space.
struct FoldedPhrase {
    std::array<char, 32> text{};
    std::array<char, 32> caseBits{};
    std::size_t length = 0;
};

constexpr FoldedPhrase FoldPhrase(const char* text) {
    FoldedPhrase phrase;
    for (; text[phrase.length] != 0; ++phrase.length) {
        const char c = text[phrase.length];
        phrase.text.at(phrase.length) = FoldCase(c);
        phrase.caseBits.at(phrase.length) = Is(c, kLetter) ? 0x20 : 0;
    }
    // A longer phrase leaves no room for its terminating zero, which stops the compilation.
    phrase.text.at(phrase.length) = 0;
    return phrase;
}

// Whether the `readable` bytes at `at` start with `phrase` in any case and a byte that is not a
// letter or digit.
inline bool StartsWithPhrase(const char* at, std::size_t readable, const FoldedPhrase& phrase) {
    if (readable <= phrase.length || IsLetterOrDigit(at[phrase.length])) {
        return false;
    }
#if defined(__SSE2__)
    if (readable >= 32) {
        const auto half = [&](std::size_t from) {
            const __m128i bytes = _mm_or_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + from)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(phrase.caseBits.data() + from)));
            const __m128i text =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(phrase.text.data() + from));
            return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, text)));
        };
        const std::uint32_t wanted = (std::uint32_t{1} << phrase.length) - 1;
        return ((half(0) | half(16) << 16) & wanted) == wanted;
    }
#endif
    for (std::size_t i = 0; i < phrase.length; ++i) {
        if (static_cast<char>(at[i] | phrase.caseBits[i]) != phrase.text[i]) {
            return false;
        }
    }
    return true;
}

// The longest word of any table ("socksproxy").
inline constexpr std::size_t kLongestWord = 10;

// A word of the keyword table or of one of the four value tables.
struct WordEntry {
    tokens::TOKEN token;
    int value;  // the enumeration value of a value word
};

// The words of the keyword table and the four value tables, case-folded, in an open-addressing
// hash table. Built once; a word that occurs in several tables keeps its first place in search
// order (keywords, M, P, C, scope).
class WordIndex {
public:
    struct Entry {
        char text[12];       // case-folded, NUL-terminated
        std::size_t length;  // 0 marks a free slot
        WordEntry word;
    };

    static constexpr std::size_t kMaxLength = sizeof(Entry::text) - 1;

    WordIndex() noexcept {
        for (int token = 1; token < kKeywordCount; ++token) {
            Add(kKeywordTexts[token], static_cast<tokens::TOKEN>(token), 0);
        }
        AddValueWords(kMTypeTexts, kMTypeCount, tokens::M_VALUE);
        AddValueWords(kPTypeTexts, kPTypeCount, tokens::P_VALUE);
        AddValueWords(kCTypeTexts, kCTypeCount, tokens::C_VALUE);
        AddValueWords(kScopeTypeTexts, kScopeTypeCount, tokens::SCOPE_VALUE);
    }

    // Null when no table holds the word, compared without regard to case.
    const Entry* Find(const char* word, std::size_t length) const {
        return Find(word, length, [](char c) { return FoldCase(c); });
    }
    // Find for a word of ASCII letters and digits only, which setting bit 5 folds.
    const Entry* FindAlphanumeric(const char* word, std::size_t length) const {
        return Find(word, length, [](char c) { return static_cast<char>(c | 0x20); });
    }

private:
    // Over three times the 74 table words, so probe runs stay short and a free slot always ends
    // a search.
    static constexpr std::size_t kSlots = 256;

    template <typename Fold>
    const Entry* Find(const char* word, std::size_t length, Fold fold) const {
        if (length == 0 || length > kMaxLength) {
            return nullptr;
        }
        for (std::size_t slot = Hash(word, length);; slot = (slot + 1) % kSlots) {
            const Entry& entry = slots_[slot];
            if (entry.length == 0) {
                return nullptr;
            }
            if (entry.length == length && Equal(entry.text, word, length, fold)) {
                return &entry;
            }
        }
    }

    // The length and three letters tell the table words apart; a multiplicative mix spreads
    // them over the slots so that probes stay short. Bit 5 is set rather than the case folded:
    // it maps both cases of a letter alike and leaves every other byte as it is in both the
    // table's and the looked-up word, which is all a hash needs.
    static std::size_t Hash(const char* word, std::size_t length) {
        const auto unit = [](char c) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(c) | 0x20u);
        };
        const std::uint32_t key = static_cast<std::uint32_t>(length) | unit(word[0]) << 8 |
                                  unit(word[length / 2]) << 16 | unit(word[length - 1]) << 24;
        return (key * 2654435761u) >> 24;
    }

    template <typename Fold>
    static bool Equal(const char* folded, const char* word, std::size_t length, Fold fold) {
        for (std::size_t i = 0; i < length; ++i) {
            if (folded[i] != fold(word[i])) {
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
        assert(entry.length <= kLongestWord);
        for (std::size_t i = 0; i < entry.length; ++i) {
            entry.text[i] = FoldCase(text[i]);
        }
        entry.word.token = token;
        entry.word.value = value;
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

// Built when the library is loaded, so that a lookup pays no guard of a function-local static.
inline const WordIndex kWords;

// The entry of a word compared without regard to case, or null when no table holds it. A word
// that occurs in several tables is found in the first, in the order keywords, M, P, C, scope.
inline const WordEntry* FindWord(const char* word, std::size_t length) {
    const WordIndex::Entry* entry = kWords.Find(word, length);
    return entry == nullptr ? nullptr : &entry->word;
}

// The keywords' texts as FoldedWords, by token.
inline constexpr std::array<FoldedWord, kKeywordCount> kFoldedKeywords = [] {
    std::array<FoldedWord, kKeywordCount> folded{};
    for (int token = 1; token < kKeywordCount; ++token) {
        folded[static_cast<std::size_t>(token)] = Fold(kKeywordTexts[token]);
    }
    return folded;
}();

// FindWord for a word of ASCII letters and digits only, as the lexer reads them.
inline const WordEntry* FindAlphanumericWord(const char* word, std::size_t length) {
    const WordIndex::Entry* entry = kWords.FindAlphanumeric(word, length);
    return entry == nullptr ? nullptr : &entry->word;
}

}  // namespace cmds::detail

#endif
