/// @file
/// Helpers for reporting a failed read to a person: the error's name and where reading stopped.
#ifndef CMDS_FRAMING_DIAGNOSTICS_H
#define CMDS_FRAMING_DIAGNOSTICS_H

#include <cstddef>
#include <string_view>

#include "cmds/export.h"
#include "cmds/lexer/lexer_stream.h"
#include "cmds/tokens/errors.h"

namespace cmds {

/// The place of byte `offset` of `text`; an offset beyond the text is taken as its length.
CMDS_API CTextPosition LocateOffset(std::string_view text, std::size_t offset);

/// Where reading stopped in `source`, which reads `text` from its start (for a feed stream, what
/// GetData returns): the last byte the source handed out, or the end of `text` once the source
/// has met its end. Call it after Parse or GetNextToken threw, before reading on.
CMDS_API CTextPosition GetStopPosition(CLexerStreamBase& source, std::string_view text);

}  // namespace cmds

#endif
