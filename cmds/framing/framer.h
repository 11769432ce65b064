/// @file
/// Framing for hosts that read connections from an event loop instead of a blocked thread each:
/// cut received bytes into complete commands, and tell a command's kind before parsing it.
#ifndef CMDS_FRAMING_FRAMER_H
#define CMDS_FRAMING_FRAMER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cmds/export.h"
#include "cmds/interfaces/commands.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

/// What CCommandFramer::Next found.
enum eFrameStatus : std::int32_t {
    eFrameCommand = 0,     ///< a complete command was handed out
    eFrameIncomplete = 1,  ///< no complete command is buffered; append more bytes
    eFrameTooLarge = 2,    ///< the command being framed is longer than the maximum size
};

/// Collects the bytes of one connection as they arrive, in any split, and hands out each complete
/// command, to be parsed from a CStrLexerStream. A command ends at the first ";" outside
/// double-quoted and apostrophe-quoted strings; every byte before it since the previous command
/// (blanks between commands included) belongs to it. Each byte is examined once, so framing takes
/// linear time however the input is split.
class CMDS_API CCommandFramer {
public:
    static constexpr std::size_t kDefaultMaxCommandSize = std::size_t{1} << 20;

    /// `maxCommandSize`: the longest command handed out, in bytes, its ";" included.
    explicit CCommandFramer(std::size_t maxCommandSize = kDefaultMaxCommandSize);

    /// Buffers received bytes; call Next until it stops returning eFrameCommand. Bytes appended
    /// after Next has returned eFrameTooLarge are dropped.
    void Append(std::string_view bytes);

    /// eFrameCommand: `command` holds the next command; the bytes after it stay buffered.
    /// eFrameIncomplete: `command` is untouched.
    /// eFrameTooLarge: more than the maximum size has arrived without the command's ";";
    /// `command` is untouched. As where the next command starts can no longer be known, every
    /// later call returns eFrameTooLarge too, until Clear; a host typically drops the connection.
    eFrameStatus Next(std::string& command);

    /// The buffered bytes not handed out yet; valid until the next call of another member.
    std::string_view Pending() const;

    /// Drops every buffered byte and the framing state, as for a new connection.
    void Clear();

private:
    enum class Quote : std::uint8_t { kNone, kDouble, kApostrophe };

    std::string buffer_;
    std::size_t commandStart_ = 0;  ///< offset in buffer_ of the command being framed
    std::size_t scanned_ = 0;       ///< offset in buffer_ of the first byte not examined yet
    std::size_t maxCommandSize_;
    Quote quote_ = Quote::kNone;
    bool tooLarge_ = false;
};

/// The verb (KW_CONNECT to KW_FRIENDS) and direction (KW_INPUT or KW_OUTPUT) of a command, and
/// its kind, for VisitCommand.
struct CCommandHeader {
    tokens::TOKEN verb = tokens::NO_TOKEN;
    tokens::TOKEN direction = tokens::NO_TOKEN;
    eCommand command = eCommandConnectIn;
};

/// Reads the first two words of `command` as the lexer does (blanks skipped, keywords in any
/// letter case) without parsing the rest. True, with `header` set, when they name one of the
/// commands that CParser::Parse reads; false, with `header` untouched, otherwise, and then every
/// Parse overload rejects the text.
CMDS_API bool PeekHeader(std::string_view command, CCommandHeader& header);

}  // namespace cmds

#endif
