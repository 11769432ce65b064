#include "cmds/framing/framer.h"

#include "cmds/interfaces/commands.h"
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

// A word that is no keyword reads as a string, which no header has.
tokens::TOKEN KeywordOf(std::string_view word) {
    const detail::WordEntry* entry = detail::FindWord(word.data(), word.size());
    return entry == nullptr ? tokens::STRING : entry->token;
}

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
