/// @file
/// A command's kind, told from its first two words before the rest is read.
#ifndef CMDS_FRAMING_HEADER_H
#define CMDS_FRAMING_HEADER_H

#include <string_view>

#include "cmds/export.h"
#include "cmds/interfaces/commands.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

/// The verb (KW_CONNECT to KW_FRIENDS) and direction (KW_INPUT or KW_OUTPUT) of a command, and
/// its kind, for VisitCommand.
struct CCommandHeader {
    tokens::TOKEN verb = tokens::NO_TOKEN;
    tokens::TOKEN direction = tokens::NO_TOKEN;
    eCommand command = eCommandConnectIn;
};

/// Reads the first two words of `command` as the lexer does (blanks skipped, keywords in any
/// letter case) without parsing the rest. True, with `header` set, when they name one of the
/// commands that CParser::Parse reads; false, with `header` untouched, otherwise, and then every
/// Parse overload rejects the text.
CMDS_API bool PeekHeader(std::string_view command, CCommandHeader& header);

}  // namespace cmds

#endif
