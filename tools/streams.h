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

// What reading an input found: the commands read whole, and the first fault.
struct Decoded {
    std::uint64_t commands = 0;
    std::optional<Failure> failure;
};

// Reads the consecutive commands of `in` as they arrive, in pieces, up to the first fault, which
// is placed at the token at fault. Unless `out` is null, writes each command onto it as one JSON
// line, the form of CommandObject, call by call as the parser makes them: a command's line is
// held back until it ends or reaches kHeldJsonBytes, so that a command that fails is not written
// unless it is that large, and then its line is ended where it failed. Memory stays bounded by
// the largest value (at most cmds::CReadLimits::ForUntrustedInput's), whatever the size of a
// command. Throws std::ios_base::failure when `in` fails.
Decoded DecodeStream(std::istream& in, std::ostream* out, const Progress& progress);

// How much of a command's JSON is held back before it is written as it comes.
inline constexpr std::size_t kHeldJsonBytes = std::size_t{1} << 20;

// "NAME:LINE:COLUMN: REASON", then the excerpt and the marker, one a line.
std::string FormatFailure(const Failure& failure, std::string_view inputName);

// Writes the command of each JSON line of `in` onto `out`, skipping blank lines. Throws
// EncodeError naming the first bad line, after writing the commands before it, and
// std::ios_base::failure when `in` fails.
void EncodeStream(std::istream& in, std::ostream& out, const Progress& progress);

}  // namespace cmds_tool

#endif
