// What the fuzz targets share: values drawn from the fuzzer's bytes, the reader chosen by a byte,
// reading commands until the end of the input, and the orders of calls the grammar allows.
#ifndef CMDS_FUZZ_FUZZ_SUPPORT_H
#define CMDS_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "cmds/cmds.h"
#include "sinks.h"

namespace fuzzing {

using namespace testing_support;

// A finding: says what was violated and aborts, so the fuzzer keeps the input.
inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}

// Draws values from the input front to back; past its end every value is zero or empty.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return rest_.empty(); }
    std::uint8_t Byte() {
        if (rest_.empty()) {
            return 0;
        }
        const auto byte = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }
    bool Flag() { return Byte() & 1; }
    // Zero to eight bytes, so that small numbers, 0 and all-ones are all near at hand.
    std::uint64_t Number() {
        std::uint64_t value = 0;
        for (int bytes = Byte() % 9; bytes > 0; --bytes) {
            value = value << 8 | Byte();
        }
        return value;
    }
    std::string Narrow() {
        std::string text;
        for (int length = Byte() % 16; length > 0 && !rest_.empty(); --length) {
            text += static_cast<char>(Byte());
        }
        return text;
    }
    cmds::wstring Wide() {
        cmds::wstring text;
        for (int length = Byte() % 16; length > 0 && !rest_.empty(); --length) {
            const unsigned high = Byte();
            text += static_cast<unsigned short>(high << 8 | Byte());
        }
        return text;
    }
    std::string_view Rest() {
        const std::string_view rest = rest_;
        rest_ = {};
        return rest;
    }

private:
    std::string_view rest_;
};

// The 17 readers in a fixed order; the first byte of an input picks one.
using Sinks = std::tuple<ConnectIn, ConnectOut, DisconnectIn, DisconnectOut, AliveIn, AliveOut,
                         ShareIn, ShareOut, UnshareIn, UnshareOut, ShareDirIn, ShareDirOut,
                         Directory, FindIn, FindOut, FriendsIn, FriendsOut>;
constexpr std::size_t kReaders = std::tuple_size_v<Sinks>;

// Calls `use` with a null pointer of the sink type at `index` (below kReaders).
template <std::size_t I = 0, typename Use>
void WithSink(std::size_t index, Use&& use) {
    if constexpr (I < kReaders) {
        if (index == I) {
            use(static_cast<std::tuple_element_t<I, Sinks>*>(nullptr));
        } else {
            WithSink<I + 1>(index, use);
        }
    }
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
            commands.back().push_back(std::string("throws ") + ErrorName(error.code));
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

inline const Grammar& GrammarOf(std::size_t reader) {
    static const std::string_view kUser = "OnUser", kError = "OnError";
    static const Grammar kGrammars[kReaders] = {
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
    return kGrammars[reader];
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
inline void RequireAllowed(std::size_t reader, const std::vector<Calls>& commands) {
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Calls& calls = commands[i];
        const bool threw = !calls.empty() && calls.back().rfind("throws ", 0) == 0;
        Require(threw == (i + 1 == commands.size()), "only the last Parse throws");
        Require(Allows(GrammarOf(reader), calls), "calls in an order the grammar allows");
    }
}

}  // namespace fuzzing

#endif
