/// @file
/// The table of commands: every (verb, direction) pair the language has, with its fixed id and
/// its callback interface. Everything that lists commands is derived from this table.
#ifndef CMDS_INTERFACES_COMMANDS_H
#define CMDS_INTERFACES_COMMANDS_H

#include <cstdint>

#include "cmds/export.h"
#include "cmds/interfaces/callbacks.h"
#include "cmds/tokens/errors.h"
#include "cmds/tokens/tokens.h"

/// X(id, Name, VERB, DIRECTION): one line per command. The header's keywords are the tokens
/// named KW_ and VERB, KW_ and DIRECTION; the callback interface is the class named I and Name.
/// Ids are stable and only ever appended: saved inputs and tools refer to commands by id.
#define CMDS_COMMAND_TABLE(X)               \
    X(0, ConnectIn, CONNECT, INPUT)         \
    X(1, ConnectOut, CONNECT, OUTPUT)       \
    X(2, DisconnectIn, DISCONNECT, INPUT)   \
    X(3, DisconnectOut, DISCONNECT, OUTPUT) \
    X(4, AliveIn, ALIVE, INPUT)             \
    X(5, AliveOut, ALIVE, OUTPUT)           \
    X(6, ShareIn, SHARE, INPUT)             \
    X(7, ShareOut, SHARE, OUTPUT)           \
    X(8, UnshareIn, UNSHARE, INPUT)         \
    X(9, UnshareOut, UNSHARE, OUTPUT)       \
    X(10, ShareDirIn, SHAREDIR, INPUT)      \
    X(11, ShareDirOut, SHAREDIR, OUTPUT)    \
    X(12, Directory, DIRECTORY, OUTPUT)     \
    X(13, FindIn, FIND, INPUT)              \
    X(14, FindOut, FIND, OUTPUT)            \
    X(15, FriendsIn, FRIENDS, INPUT)        \
    X(16, FriendsOut, FRIENDS, OUTPUT)

namespace cmds {

/// A command kind by its fixed id.
enum eCommand : std::int32_t {
#define CMDS_COMMAND_ID(id, Name, verb, direction) eCommand##Name = (id),
    CMDS_COMMAND_TABLE(CMDS_COMMAND_ID)
#undef CMDS_COMMAND_ID
};

/// How many commands there are; ids run from 0 to kCommandCount - 1.
#define CMDS_COMMAND_ONE(id, Name, verb, direction) +1  // NOLINT(bugprone-macro-parentheses)
inline constexpr int kCommandCount = 0 CMDS_COMMAND_TABLE(CMDS_COMMAND_ONE);
#undef CMDS_COMMAND_ONE

/// The header of a command kind.
struct CCommandInfo {
    eCommand id;
    tokens::TOKEN verb;       ///< KW_CONNECT to KW_FRIENDS
    tokens::TOKEN direction;  ///< KW_INPUT or KW_OUTPUT
    const char* name;         ///< "CONNECT INPUT", as written
};

/// The commands, indexed by id.
inline constexpr CCommandInfo kCommands[] = {
#define CMDS_COMMAND_INFO(id, Name, verb, direction) \
    {eCommand##Name, tokens::KW_##verb, tokens::KW_##direction, #verb " " #direction},
    CMDS_COMMAND_TABLE(CMDS_COMMAND_INFO)
#undef CMDS_COMMAND_INFO
};
static_assert(sizeof kCommands / sizeof kCommands[0] == kCommandCount);

/// The command of a verb and a direction; null when the language has no such command.
CMDS_API const CCommandInfo* FindCommand(tokens::TOKEN verb, tokens::TOKEN direction);

/// The callback interface of a command kind, as a type: CommandKind<eCommandFindOut>::Sink
/// is IFindOut.
template <eCommand Id>
struct CommandKind;
#define CMDS_COMMAND_KIND(id, Name, verb, direction)    \
    template <>                                         \
    struct CommandKind<eCommand##Name> {                \
        static constexpr eCommand kId = eCommand##Name; \
        using Sink = I##Name;                           \
    };
CMDS_COMMAND_TABLE(CMDS_COMMAND_KIND)
#undef CMDS_COMMAND_KIND

/// Calls `visit(CommandKind<id>{})` for the command `id` and returns what it returns, so that a
/// host can pick the sink for a command read at run time without a switch of its own:
///
///     cmds::VisitCommand(id, [&](auto kind) {
///         using Sink = typename decltype(kind)::Sink;
///         parser.Parse(sinks.For<Sink>());
///     });
///
/// An id outside the table is a program error: CRuntimeError.
template <typename Visitor>
decltype(auto) VisitCommand(eCommand id, Visitor&& visit) {
    switch (id) {
#define CMDS_COMMAND_CASE(id, Name, verb, direction) \
    case eCommand##Name:                             \
        return visit(CommandKind<eCommand##Name>{});
        CMDS_COMMAND_TABLE(CMDS_COMMAND_CASE)
#undef CMDS_COMMAND_CASE
    }
    throw CRuntimeError();
}

}  // namespace cmds

#endif
