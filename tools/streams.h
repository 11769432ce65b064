// Whole inputs of the tool: command text read as consecutive commands, and JSON lines written
// as command text.
#ifndef CMDS_TOOLS_STREAMS_H
#define CMDS_TOOLS_STREAMS_H

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "codec.h"

namespace cmds_tool {

// Told how many bytes of the input have been consumed, after each piece.
using Progress = std::function<void(std::uint64_t bytesRead)>;

// The first fault of an input and its place, with the line around it for display.
struct Failure {
    std::string reason;        // what is wrong, as "syntax error in ALIVE OUTPUT: ..."
    std::uint64_t offset = 0;  // bytes from the start of the input
    std::uint64_t line = 1;    // counted from 1
    std::uint64_t column = 1;  // bytes from the start of the line, counted from 1
    std::string excerpt;       // the line, cut around the place, control characters as blanks
    std::string marker;        // blanks and tabs up to the place, then "^"
};

// Frames `in` into commands and decodes each in order, handing it to `onCommand`, up to the
// first command that fails, whose fault it returns, placed at the token at fault. A command longer
// than the framer's default maximum size fails where it starts. Throws std::ios_base::failure
// when `in` fails.
std::optional<Failure> DecodeStream(std::istream& in,
                                    const std::function<void(const Json&)>& onCommand,
                                    const Progress& progress);

// "NAME:LINE:COLUMN: REASON", then the excerpt and the marker, one a line.
std::string FormatFailure(const Failure& failure, std::string_view inputName);

// Writes the command of each JSON line of `in` onto `out`, skipping blank lines. Throws
// EncodeError naming the first bad line, after writing the commands before it, and
// std::ios_base::failure when `in` fails.
void EncodeStream(std::istream& in, std::ostream& out, const Progress& progress);

}  // namespace cmds_tool

#endif
