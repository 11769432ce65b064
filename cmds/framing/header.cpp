#include "cmds/framing/header.h"

#include "cmds/lexer/words_internal.h"

namespace cmds {

namespace {

// The word that starts at `pos` after blanks, moving `pos` past it; empty when the next token is
// no word.
std::string_view NextWord(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && detail::IsBlank(text[pos])) {
        ++pos;
    }
    const std::size_t start = pos;
    if (pos < text.size() && detail::IsLetter(text[pos])) {
        while (pos < text.size() && detail::IsLetterOrDigit(text[pos])) {
            ++pos;
        }
    }
    return text.substr(start, pos - start);
}

// A word that is no keyword reads as a string, which no header has.
tokens::TOKEN KeywordOf(std::string_view word) {
    const detail::WordEntry* entry = detail::FindWord(word.data(), word.size());
    return entry == nullptr ? tokens::STRING : entry->token;
}

}  // namespace

bool PeekHeader(std::string_view command, CCommandHeader& header) {
    std::size_t pos = 0;
    const tokens::TOKEN verb = KeywordOf(NextWord(command, pos));
    const tokens::TOKEN direction = KeywordOf(NextWord(command, pos));
    const CCommandInfo* info = FindCommand(verb, direction);
    if (info == nullptr) {
        return false;
    }
    header.verb = info->verb;
    header.direction = info->direction;
    header.command = info->id;
    return true;
}

}  // namespace cmds
