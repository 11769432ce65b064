// One command of the language as one JSON object: {"verb", "direction", "calls"}, where calls are
// the callbacks that the parser makes, in order, with their values.
#ifndef CMDS_TOOLS_CODEC_H
#define CMDS_TOOLS_CODEC_H

#include <functional>
#include <memory>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "cmds/cmds.h"

namespace cmds_tool {

using Json = nlohmann::ordered_json;

// JSON that describes no command the generator can write; what() says where and why.
class EncodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A sink of every command's interface that turns each callback into one JSON object,
// {"call": name, fields...}, and hands it to `onCall` as soon as the parser makes it.
class CallSink {
public:
    explicit CallSink(std::function<void(const Json&)> onCall);
    ~CallSink();
    CallSink(const CallSink&) = delete;
    CallSink& operator=(const CallSink&) = delete;

    // Chooses this sink for a command of kind `command`, for a push reader.
    void Use(cmds::eCommand command, cmds::CSinkChoice& choice);
    // Reads the next command, of kind `command`, from `parser` into this sink.
    void Read(cmds::CParser& parser, cmds::eCommand command);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The object of a command of kind `id` whose calls are `calls`.
Json CommandObject(cmds::eCommand id, Json calls);

// Reads the next command, of the kind `id`, from `parser`, appending each callback to `calls` as
// it is made. Errors of the parser pass through, leaving in `calls` those made before the fault.
void ReadCalls(cmds::CParser& parser, cmds::eCommand id, Json& calls);

// Reads the next command, of the kind `id`, from `parser`. Errors of the parser pass through.
Json ReadCommand(cmds::CParser& parser, cmds::eCommand id);

// Writes the command that `command` describes, in the form ReadCommand gives, with a request's
// plain "password" in place of the signed "pwd". Throws EncodeError.
void EncodeCommand(const Json& command, cmds::CGenerator& out);

}  // namespace cmds_tool

#endif
