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

// A command that the parser rejected: what() is the error's name, `offset` the place in the
// command's text where reading stopped.
class CommandFault : public std::runtime_error {
public:
    CommandFault(const char* name, std::size_t offset) : std::runtime_error(name), offset(offset) {}

    std::size_t offset;
};

// JSON that describes no command the generator can write; what() says where and why.
class EncodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the next command, of the kind `header` names, from `parser`. Errors of the parser pass
// through.
Json ReadCommand(cmds::CParser& parser, const cmds::CCommandHeader& header);

// Parses one command, choosing the reader by its header. Throws CommandFault.
Json DecodeCommand(const std::string& text);

// Writes the command that `command` describes, in the form DecodeCommand gives, with a request's
// plain "password" in place of the signed "pwd". Throws EncodeError.
void EncodeCommand(const Json& command, cmds::CGenerator& out);

}  // namespace cmds_tool

#endif
