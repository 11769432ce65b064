// The name tables behind GetKeyword and the value-word functions, and the break after a
// command's header, shared with the lexer and the generator. They are constant expressions so
// that the generator can build its padded key texts from them at compile time.
#ifndef CMDS_TOKENS_TABLES_INTERNAL_H
#define CMDS_TOKENS_TABLES_INTERNAL_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "cmds/tokens/tokens.h"

namespace cmds::detail {

inline constexpr const char* kKeywordTexts[kKeywordCount] = {
    "",          "INPUT",   "OUTPUT",   "CONNECT", "user",      "pwd",        "port",
    "error",     "SHARE",   "folder",   "file",    "size",      "keywords",   "FIND",
    "match",     "max",     "exact",    "host",    "address",   "DISCONNECT", "ext",
    "author",    "subject", "manager",  "company", "comments",  "title",      "category",
    "case",      "creator", "type",     "UNSHARE", "id",        "ALIVE",      "DIRECTORY",
    "protected", "FRIENDS", "online",   "crc",     "MAP",       "CONTENTS",   "nick",
    "SHAREDIR",  "rank",    "freetext", "scope",   "browsable", "httpproxy",  "socksproxy",
    ":",         ",",       "{",        "}",       "(",         ")",          "[",
    "]",         "'",       ";",        "\"",      "+",         "-",          "*",
};
// The length of each keyword's text.
inline constexpr std::array<std::uint8_t, kKeywordCount> kKeywordLengths = [] {
    std::array<std::uint8_t, kKeywordCount> lengths{};
    for (std::size_t token = 0; token < lengths.size(); ++token) {
        while (kKeywordTexts[token][lengths[token]] != 0) {
            ++lengths[token];
        }
    }
    return lengths;
}();

inline constexpr const char* kMTypeTexts[kMTypeCount] = {"", "all", "any", "expression"};
inline constexpr const char* kPTypeTexts[kPTypeCount] = {"", "on", "off", "begin", "end"};
inline constexpr const char* kCTypeTexts[kCTypeCount] = {"", "yes", "no"};
inline constexpr const char* kScopeTypeTexts[kScopeTypeCount] = {"", "global", "myself", "friend"};

// What the generator writes after a command's header: a space, a line break and the tab of the
// first level of nesting. The reader takes it at once where it finds it.
inline constexpr char kHeaderBreak[] = {' ', '\r', '\n', '\t'};

}  // namespace cmds::detail

#endif
