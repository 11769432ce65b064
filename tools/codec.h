// One command of the language as one JSON object: {"verb", "direction", "calls"}, where calls are
// the callbacks that the parser makes, in order, with their values.
#ifndef CMDS_TOOLS_CODEC_H
#define CMDS_TOOLS_CODEC_H

#include <cstddef>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "cmds/cmds.h"

namespace cmds_tool {

using Json = nlohmann::ordered_json;

// A command that the parser rejected: what() says why, as "syntax error in CONNECT OUTPUT: file
// takes a number; read the wide string 'x'", and `offset` is the first byte of the token at fault
// in the command's text of `textSize` bytes.
class CommandFault : public std::runtime_error {
public:
    CommandFault(const cmds::CCmdError& error, std::size_t textSize, const std::string& reason);

    std::size_t offset;
};

// JSON that describes no command the generator can write; what() says where and why.
class EncodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the next command, of the kind `id`, from `parser`, appending each callback to `calls` as
// it is made. Errors of the parser pass through, leaving in `calls` those made before the fault.
void ReadCalls(cmds::CParser& parser, cmds::eCommand id, Json& calls);

// Reads the next command, of the kind `id`, from `parser`. Errors of the parser pass through.
Json ReadCommand(cmds::CParser& parser, cmds::eCommand id);

// Parses one command, choosing the reader by its header. Throws CommandFault.
Json DecodeCommand(const std::string& text);

// Writes the command that `command` describes, in the form DecodeCommand gives, with a request's
// plain "password" in place of the signed "pwd". Throws EncodeError.
void EncodeCommand(const Json& command, cmds::CGenerator& out);

}  // namespace cmds_tool

#endif
