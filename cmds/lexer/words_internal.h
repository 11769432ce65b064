// The lexer's character classes and its lookup of words, shared with the framer so that a
// header is recognised exactly as the lexer reads it.
#ifndef CMDS_LEXER_WORDS_INTERNAL_H
#define CMDS_LEXER_WORDS_INTERNAL_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "cmds/tokens/tokens.h"

namespace cmds::detail {

// Characters are classified by their ASCII value so that neither the locale nor the signedness
// of char matters; bytes from 0x80 up are neither letters nor digits. The end of the source (-1)
// falls on entry 0xFF, which is none of the classes.
enum CharClass : std::uint8_t { kLetter = 1, kDigit = 2, kBlank = 4 };

inline constexpr std::array<std::uint8_t, 256> kCharClasses = [] {
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

// The longest word of any table ("socksproxy").
inline constexpr std::size_t kLongestWord = 10;

// A word of the keyword table or of one of the four value tables.
struct WordEntry {
    tokens::TOKEN token;
    int value;  // the enumeration value of a value word
};

// The entry of a word compared without regard to case, or null when no table holds it. A word
// that occurs in several tables is found in the first, in the order keywords, M, P, C, scope.
const WordEntry* FindWord(const char* word, std::size_t length);

}  // namespace cmds::detail

#endif
