// PeekHeader on arbitrary text, against the lexer and every reader. It names a command exactly
// when the first two tokens the lexer reads are the verb and the direction of one, and then sets
// the header to that command; otherwise it leaves the header as it was. The reader of the command
// it names gets past the header, and every other reader fails at the header or before.
#include <optional>

#include "fuzz_support.h"

namespace {

using fuzzing::Require;

struct Head {
    std::vector<tokens::TOKEN> tokens;  // up to two, stopping at the end of the input
    std::size_t end = 0;                // where the last token read, or failed, starts
};

Head FirstTwoTokens(const std::string& text) {
    Head head;
    cmds::CStrLexerStream source(text);
    cmds::CLexer lexer(source);
    while (head.tokens.size() < 2 &&
           (head.tokens.empty() || head.tokens.back() != tokens::END_OF_INPUT)) {
        try {
            head.tokens.push_back(lexer.GetNextToken());
        } catch (const cmds::CLexError& error) {
            head.end = error.Position().offset;
            break;
        }
        head.end = lexer.GetTokenPosition().offset;
    }
    return head;
}

const cmds::CCommandInfo* CommandOf(const Head& head) {
    for (const cmds::CCommandInfo& command : cmds::kCommands) {
        if (head.tokens.size() == 2 && head.tokens[0] == command.verb &&
            head.tokens[1] == command.direction) {
            return &command;
        }
    }
    return nullptr;
}

// Where the reader of `id` fails on `text`, or nothing when it reads a command.
std::optional<std::size_t> ReaderFault(cmds::eCommand id, const std::string& text) {
    return cmds::VisitCommand(id, [&](auto kind) -> std::optional<std::size_t> {
        fuzzing::Calls calls;
        fuzzing::Recording<typename decltype(kind)::Sink> sink(calls);
        cmds::CStrLexerStream source(text);
        cmds::CParser parser(source);
        try {
            parser.Parse(sink);
        } catch (const cmds::CCmdError& error) {
            return error.Position().offset;
        }
        return std::nullopt;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Head head = FirstTwoTokens(text);
    const cmds::CCommandInfo* named = CommandOf(head);

    // A header no call can produce, to see that a false return leaves it untouched.
    cmds::CCommandHeader header;
    header.verb = tokens::STRING;
    header.direction = tokens::NUMBER;
    header.command = static_cast<cmds::eCommand>(cmds::kCommandCount);
    const bool peeked = cmds::PeekHeader(text, header);
    Require(peeked == (named != nullptr), "a command named exactly by the first two tokens");
    if (named != nullptr) {
        Require(header.verb == named->verb && header.direction == named->direction &&
                    header.command == named->id,
                "the header of the command named");
    } else {
        Require(header.verb == tokens::STRING && header.direction == tokens::NUMBER &&
                    header.command == cmds::kCommandCount,
                "the header left untouched");
    }

    for (int id = 0; id < cmds::kCommandCount; ++id) {
        const std::optional<std::size_t> fault = ReaderFault(static_cast<cmds::eCommand>(id), text);
        if (named != nullptr && named->id == id) {
            Require(!fault || *fault > head.end,
                    "the reader of the command named reads its header");
        } else {
            Require(fault && *fault <= head.end, "every other reader fails at the header");
        }
    }
    return 0;
}
