/// @file
/// The reader of the command language: one Parse overload per command and direction.
#ifndef CMDS_PARSER_PARSER_H
#define CMDS_PARSER_PARSER_H

#include <memory>

#include "cmds/export.h"
#include "cmds/interfaces/callbacks.h"
#include "cmds/interfaces/commands.h"
#include "cmds/lexer/lexer.h"
#include "cmds/lexer/lexer_stream.h"
#include "cmds/parser/limits.h"

namespace cmds {

namespace detail {
struct ReadState;
}

/// Reads commands in sequence from one source. The host calls the Parse overload of the command
/// it expects next; Parse reads that command up to and including its ";", making each callback
/// as soon as its values are read. On a fault Parse throws one of the error types, located at the
/// token at fault (callbacks already made stay made); errors of the source and exceptions from
/// callbacks pass through. Constructing a parser allocates nothing; the first Parse allocates the
/// records that every later one reuses.
class CMDS_API CParser {
public:
    explicit CParser(CLexerStream& source);
    virtual ~CParser();

    CParser(const CParser&) = delete;
    CParser& operator=(const CParser&) = delete;

    void Parse(IConnectIn& sink);
    void Parse(IConnectOut& sink);
    void Parse(IDisconnectIn& sink);
    void Parse(IDisconnectOut& sink);
    void Parse(IAliveIn& sink);
    void Parse(IAliveOut& sink);
    void Parse(IShareIn& sink);
    void Parse(IShareOut& sink);
    void Parse(IUnshareIn& sink);
    void Parse(IUnshareOut& sink);
    void Parse(IShareDirIn& sink);
    void Parse(IShareDirOut& sink);
    void Parse(IDirectory& sink);
    void Parse(IFindIn& sink);
    void Parse(IFindOut& sink);
    void Parse(IFriendsIn& sink);
    void Parse(IFriendsOut& sink);

    /// Limits for the commands read from now on; by default there are none.
    void SetLimits(const CReadLimits& limits);

private:
    detail::ReadState& State();

    CLexer lexer_;
    CReadLimits limits_;
    std::unique_ptr<detail::ReadState> state_;
};

}  // namespace cmds

#endif
