/// @file
/// The whole public interface of the cmds library and of its support functions.
#ifndef CMDS_CMDS_H
#define CMDS_CMDS_H

#include "cmds/export.h"
#include "cmds/framing/diagnostics.h"
#include "cmds/framing/header.h"
#include "cmds/generator/generator.h"
#include "cmds/interfaces/callbacks.h"
#include "cmds/interfaces/commands.h"
#include "cmds/interfaces/records.h"
#include "cmds/lexer/lexer.h"
#include "cmds/lexer/lexer_stream.h"
#include "cmds/lexer/mt_lexer_stream.h"
#include "cmds/parser/limits.h"
#include "cmds/parser/parser.h"
#include "cmds/parser/push_reader.h"
#include "cmds/support/tessel.h"
#include "cmds/tokens/errors.h"
#include "cmds/tokens/tokens.h"
#include "cmds/version.h"

#endif
