// Every Parse overload on arbitrary text: the first byte picks the reader by command id, which
// reads commands from the rest until one throws. Only the errors that input can cause may leave
// (the feed stream's two cannot arise from a string, and an undeclared retrieval is the library's
// own fault), and every command's calls must come in an order its grammar allows.
#include <new>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzing;
    Bytes bytes(data, size);
    const std::uint8_t reader = bytes.Byte();
    cmds::CStrLexerStream source(std::string(bytes.Rest()));
    WithReader(reader, [&](cmds::eCommand id, auto* sinkType) {
        using Sink = std::remove_pointer_t<decltype(sinkType)>;
        try {
            const std::vector<Calls> commands = ReadAll<Sink>(source);
            const std::string& error = commands.back().back();
            Require(error == "throws CLexError" || error == "throws CSyntaxError" ||
                        error == "throws CSemanticError",
                    "only lexical, syntax and semantic errors from a string source");
            RequireAllowed(id, commands);
        } catch (const std::bad_alloc&) {
        }
    });
    return 0;
}
