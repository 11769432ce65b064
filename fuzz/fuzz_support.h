// What the fuzz targets share: the reader chosen by a byte,
// reading commands until the end of the input, and the orders of calls the grammar allows.
#ifndef CMDS_FUZZ_FUZZ_SUPPORT_H
#define CMDS_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "cmds/cmds.h"
#include "drawn_bytes.h"
#include "sinks.h"

namespace fuzzing {

using namespace testing_support;

// Calls `use(id, nullptr as Recording<Sink>*)` for the reader of the command whose id is
// `byte`; any other byte picks none and returns false. Saved inputs name readers by fixed id, so
// that adding a command changes the meaning of none of them.
template <typename Use>
bool WithReader(std::uint8_t byte, Use&& use) {
    if (byte >= cmds::kCommandCount) {
        return false;
    }
    const auto id = static_cast<cmds::eCommand>(byte);
    cmds::VisitCommand(id, [&](auto kind) {
        use(id, static_cast<Recording<typename decltype(kind)::Sink>*>(nullptr));
    });
    return true;
}

// The calls of each Parse on one source until one throws, as the last entry of its calls.
template <typename Sink>
std::vector<Calls> ReadAll(cmds::CLexerStream& source) {
    std::vector<Calls> commands;
    cmds::CParser parser(source);
    for (;;) {
        commands.emplace_back();
        Sink sink(commands.back());
        try {
            parser.Parse(sink);
        } catch (const cmds::CCmdError& error) {
            commands.back().push_back(std::string("throws ") + cmds::GetErrorTypeName(error));
            return commands;
        }
    }
}

// The calls of one command: a fixed head that every accepted command makes, then any number of
// item calls. A command that throws has made a prefix of such a sequence.
struct Grammar {
    std::vector<std::string_view> head;
    std::vector<std::string_view> items;
    bool markedFiles = false;   // file records may be key-only; elsewhere every record is full
    bool filesPerHost = false;  // every host is followed by its one or more files
};

inline const Grammar& GrammarOf(cmds::eCommand id) {
    static const std::string_view kUser = "OnUser", kError = "OnError";
    // By command id.
    static const Grammar kGrammars[] = {
        {{kUser, "OnConnectInHost", "OnConnectInFlags"}, {}},
        {{kError, "OnConnectOut"}, {}},
        {{kUser}, {}},
        {{kError}, {}},
        {{kUser}, {}},
        {{kError}, {}},
        {{kUser}, {"OnFile"}, true},
        {{kError}, {"OnShareOutFile"}},
        {{kUser, "OnUnShareIn"}, {}},
        {{kError}, {}},
        {{kUser, "OnShareDirIn"}, {}},
        {{kError, "OnShareDirOut"}, {}},
        {{kError, "OnDirectoryBegin"}, {"OnSubDir", "OnFile"}},
        {{"OnKeywords", kUser, "OnMax", "OnScope", "OnMatch", "OnExact", "OnCase", "OnRank",
          "OnFreetext"},
         {}},
        {{kError}, {"OnHost", "OnFile"}, false, true},
        {{kUser}, {"OnHost"}},
        {{kError}, {"OnHost"}},
    };
    static_assert(std::size(kGrammars) == cmds::kCommandCount, "a grammar for every command");
    return kGrammars[id];
}

inline bool Allows(const Grammar& grammar, const Calls& calls) {
    const bool threw = !calls.empty() && calls.back().rfind("throws ", 0) == 0;
    const std::size_t made = calls.size() - (threw ? 1 : 0);
    std::string_view previous;
    for (std::size_t i = 0; i < made; ++i) {
        const std::string_view call = calls[i];
        const std::string_view name = call.substr(0, call.find('('));
        if (i < grammar.head.size()) {
            if (name != grammar.head[i]) {
                return false;
            }
            continue;
        }
        bool listed = false;
        for (std::string_view item : grammar.items) {
            listed = listed || name == item;
        }
        if (!listed) {
            return false;
        }
        if (name == "OnFile") {
            // A key-only record carries folder and id; the rest stays as constructed.
            constexpr std::string_view kKeyOnlyEnd = ",file:'',size:0})";
            const std::string_view kind = call.substr(8, 1);
            const bool keyOnly = (kind == "-" || kind == "*") && call.size() > kKeyOnlyEnd.size() &&
                                 call.substr(call.size() - kKeyOnlyEnd.size()) == kKeyOnlyEnd;
            if (!(kind == "+" || (grammar.markedFiles && keyOnly))) {
                return false;
            }
        }
        if (grammar.filesPerHost && (name == "OnFile" ? previous.empty() : previous == "OnHost")) {
            return false;
        }
        previous = name;
    }
    if (threw) {
        return true;
    }
    return made >= grammar.head.size() && !(grammar.filesPerHost && previous == "OnHost");
}

// Every command but the last was accepted and the last threw, each with an allowed order.
inline void RequireAllowed(cmds::eCommand id, const std::vector<Calls>& commands) {
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Calls& calls = commands[i];
        const bool threw = !calls.empty() && calls.back().rfind("throws ", 0) == 0;
        Require(threw == (i + 1 == commands.size()), "only the last Parse throws");
        Require(Allows(GrammarOf(id), calls), "calls in an order the grammar allows");
    }
}

}  // namespace fuzzing

#endif
