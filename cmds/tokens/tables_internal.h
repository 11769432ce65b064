// The name tables behind GetKeyword and the value-word functions, shared with the lexer.
#ifndef CMDS_TOKENS_TABLES_INTERNAL_H
#define CMDS_TOKENS_TABLES_INTERNAL_H

#include "cmds/tokens/tokens.h"

namespace cmds::detail {

extern const char* const kKeywordTexts[kKeywordCount];
extern const char* const kMTypeTexts[kMTypeCount];
extern const char* const kPTypeTexts[kPTypeCount];
extern const char* const kCTypeTexts[kCTypeCount];
extern const char* const kScopeTypeTexts[kScopeTypeCount];

}  // namespace cmds::detail

#endif
