#include "cmds/framing/framer.h"

#include <algorithm>

namespace cmds {

namespace {

// The seventeen commands that CParser reads: every verb in both directions but DIRECTORY, which
// has a reply only.
constexpr CCommandHeader kCommands[] = {
    {tokens::KW_CONNECT, tokens::KW_INPUT},    {tokens::KW_CONNECT, tokens::KW_OUTPUT},
    {tokens::KW_DISCONNECT, tokens::KW_INPUT}, {tokens::KW_DISCONNECT, tokens::KW_OUTPUT},
    {tokens::KW_ALIVE, tokens::KW_INPUT},      {tokens::KW_ALIVE, tokens::KW_OUTPUT},
    {tokens::KW_SHARE, tokens::KW_INPUT},      {tokens::KW_SHARE, tokens::KW_OUTPUT},
    {tokens::KW_UNSHARE, tokens::KW_INPUT},    {tokens::KW_UNSHARE, tokens::KW_OUTPUT},
    {tokens::KW_SHAREDIR, tokens::KW_INPUT},   {tokens::KW_SHAREDIR, tokens::KW_OUTPUT},
    {tokens::KW_DIRECTORY, tokens::KW_OUTPUT}, {tokens::KW_FIND, tokens::KW_INPUT},
    {tokens::KW_FIND, tokens::KW_OUTPUT},      {tokens::KW_FRIENDS, tokens::KW_INPUT},
    {tokens::KW_FRIENDS, tokens::KW_OUTPUT},
};

// The lexer's classes of characters: ASCII only, whatever the locale.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsLetterOrDigit(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9');
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The word that starts at `pos` after blanks, moving `pos` past it; empty when the next token is
// no word.
std::string_view NextWord(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    const std::size_t start = pos;
    if (pos < text.size() && IsLetter(text[pos])) {
        while (pos < text.size() && IsLetterOrDigit(text[pos])) {
            ++pos;
        }
    }
    return text.substr(start, pos - start);
}

bool IsKeyword(std::string_view word, tokens::TOKEN keyword) {
    const std::string_view text = GetKeyword(keyword);
    return word.size() == text.size() &&
           std::equal(word.begin(), word.end(), text.begin(),
                      [](char a, char b) { return Lower(a) == Lower(b); });
}

}  // namespace

CCommandFramer::CCommandFramer(std::size_t maxCommandSize) : maxCommandSize_(maxCommandSize) {}

void CCommandFramer::Append(std::string_view bytes) {
    if (tooLarge_) {
        return;
    }
    // Handed-out bytes are dropped once they are at least half the buffer, so each byte is
    // moved at most once on average and appending stays linear.
    if (commandStart_ > 0 && commandStart_ >= buffer_.size() - commandStart_) {
        buffer_.erase(0, commandStart_);
        scanned_ -= commandStart_;
        commandStart_ = 0;
    }
    buffer_.append(bytes);
}

eFrameStatus CCommandFramer::Next(std::string& command) {
    if (tooLarge_) {
        return eFrameTooLarge;
    }
    // Only the first maxCommandSize_ bytes of a command may hold its end.
    const std::size_t end = buffer_.size() - commandStart_ > maxCommandSize_
                                ? commandStart_ + maxCommandSize_
                                : buffer_.size();
    const std::string_view text(buffer_.data(), end);
    while (scanned_ < end) {
        const char* const wanted =
            quote_ == Quote::kNone ? ";\"'" : (quote_ == Quote::kDouble ? "\"" : "'");
        const std::size_t found = text.find_first_of(wanted, scanned_);
        if (found == std::string_view::npos) {
            scanned_ = end;
            break;
        }
        scanned_ = found + 1;
        if (quote_ != Quote::kNone) {
            quote_ = Quote::kNone;
        } else if (text[found] == '"') {
            quote_ = Quote::kDouble;
        } else if (text[found] == '\'') {
            quote_ = Quote::kApostrophe;
        } else {
            command.assign(buffer_, commandStart_, scanned_ - commandStart_);
            commandStart_ = scanned_;
            return eFrameCommand;
        }
    }
    if (buffer_.size() - commandStart_ > maxCommandSize_) {
        tooLarge_ = true;
        return eFrameTooLarge;
    }
    return eFrameIncomplete;
}

std::string_view CCommandFramer::Pending() const {
    return std::string_view(buffer_).substr(commandStart_);
}

void CCommandFramer::Clear() {
    buffer_.clear();
    commandStart_ = 0;
    scanned_ = 0;
    quote_ = Quote::kNone;
    tooLarge_ = false;
}

bool PeekHeader(std::string_view command, CCommandHeader& header) {
    std::size_t pos = 0;
    const std::string_view verb = NextWord(command, pos);
    const std::string_view direction = NextWord(command, pos);
    for (const CCommandHeader& candidate : kCommands) {
        if (IsKeyword(verb, candidate.verb) && IsKeyword(direction, candidate.direction)) {
            header = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace cmds
