#include "streams.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace cmds_tool {

namespace {

constexpr std::size_t kChunkSize = std::size_t{64} << 10;
constexpr char kBlanks[] = " \t\r\n";
const std::string kTooLarge = "command too large: longer than " +
                              std::to_string(cmds::CCommandFramer::kDefaultMaxCommandSize) +
                              " bytes";

// Follows offset, line and column through consecutive pieces of the input, keeping the end of
// the current line for display.
class TextCursor {
public:
    void Advance(std::string_view text) {
        const std::size_t lastBreak = text.rfind('\n');
        std::string_view lineStart = text;
        if (lastBreak == std::string_view::npos) {
            column_ += text.size();
        } else {
            line_ += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
            lineStart = text.substr(lastBreak + 1);
            column_ = lineStart.size();
            tail_.clear();
        }
        if (lineStart.size() >= kTail) {
            tail_.assign(lineStart.substr(lineStart.size() - kTail));
        } else {
            tail_.append(lineStart);
            if (tail_.size() > 2 * kTail) {
                tail_.erase(0, tail_.size() - kTail);
            }
        }
        offset_ += text.size();
    }

    // The failure for `reason` at byte `place` of `text`, which starts at the cursor.
    Failure FailAt(std::string reason, std::string_view text, std::size_t place) const {
        TextCursor at = *this;
        at.Advance(text.substr(0, place));
        const std::string_view rest = text.substr(place);
        const bool cut = at.column_ > at.tail_.size();
        Failure failure;
        failure.reason = std::move(reason);
        failure.offset = at.offset_;
        failure.line = at.line_;
        failure.column = at.column_ + 1;
        failure.excerpt = (cut ? "..." : "") + at.tail_ +
                          std::string(rest.substr(0, std::min(rest.find('\n'), kAfter)));
        for (char& c : failure.excerpt) {
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
                c = ' ';
            }
        }
        // Tabs are kept so that the caret lines up; UTF-8 continuation bytes take no column.
        failure.marker = cut ? "   " : "";
        for (const char c : at.tail_) {
            if (c == '\t') {
                failure.marker += '\t';
            } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                failure.marker += ' ';
            }
        }
        failure.marker += '^';
        return failure;
    }

private:
    static constexpr std::size_t kTail = 60;
    static constexpr std::size_t kAfter = 40;

    std::uint64_t offset_ = 0;
    std::uint64_t line_ = 1;
    std::uint64_t column_ = 0;  // bytes of the current line before the cursor
    std::string tail_;          // the last of those bytes, at most 2 * kTail
};

Json ParseLine(const std::string& line) {
    try {
        return Json::parse(line);
    } catch (const Json::parse_error& error) {
        // The message starts with the parser's own tag in brackets; the rest says what and where.
        const std::string what = error.what();
        const std::size_t tagEnd = what.find("] ");
        throw EncodeError("bad JSON: " +
                          (tagEnd == std::string::npos ? what : what.substr(tagEnd + 2)));
    }
}

}  // namespace

std::optional<Failure> DecodeStream(std::istream& in,
                                    const std::function<void(const Json&)>& onCommand,
                                    const Progress& progress) {
    cmds::CCommandFramer framer;
    TextCursor cursor;
    const auto decode = [&](const std::string& text) -> std::optional<Failure> {
        try {
            onCommand(DecodeCommand(text));
        } catch (const CommandFault& fault) {
            return cursor.FailAt(fault.what(), text, fault.offset);
        }
        cursor.Advance(text);
        return std::nullopt;
    };
    std::vector<char> chunk(kChunkSize);
    std::string command;
    std::uint64_t bytesRead = 0;
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        framer.Append(std::string_view(chunk.data(), got));
        bytesRead += got;
        for (cmds::eFrameStatus status;
             (status = framer.Next(command)) != cmds::eFrameIncomplete;) {
            if (status == cmds::eFrameTooLarge) {
                const std::string_view pending = framer.Pending();
                return cursor.FailAt(kTooLarge, pending,
                                     std::min(pending.find_first_not_of(kBlanks), pending.size()));
            }
            if (auto failure = decode(command)) {
                return failure;
            }
        }
        if (progress) {
            progress(bytesRead);
        }
    }
    if (in.bad()) {
        throw std::ios_base::failure("read error");
    }
    // Text after the last command is either blanks or a command without its end, which fails.
    const std::string rest(framer.Pending());
    if (rest.find_first_not_of(kBlanks) == std::string::npos) {
        return std::nullopt;
    }
    return decode(rest);
}

std::string FormatFailure(const Failure& failure, std::string_view inputName) {
    std::ostringstream out;
    out << inputName << ':' << failure.line << ':' << failure.column << ": " << failure.reason
        << '\n'
        << failure.excerpt << '\n'
        << failure.marker << '\n';
    return out.str();
}

void EncodeStream(std::istream& in, std::ostream& out, const Progress& progress) {
    std::string line;
    std::uint64_t lineNumber = 0;
    std::uint64_t bytesRead = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        bytesRead += line.size() + 1;
        if (line.find_first_not_of(kBlanks) == std::string::npos) {
            continue;
        }
        // Each command is written whole or not at all.
        cmds::CStrStmGenerator generator;
        try {
            EncodeCommand(ParseLine(line), generator);
        } catch (const EncodeError& error) {
            throw EncodeError("line " + std::to_string(lineNumber) + ": " + error.what());
        }
        out << generator.str();
        if (progress) {
            progress(bytesRead);
        }
    }
    if (in.bad()) {
        throw std::ios_base::failure("read error");
    }
}

}  // namespace cmds_tool
