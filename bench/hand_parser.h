// The speed of light of reading: parsers of FIND OUTPUT and SHARE INPUT alone, from a contiguous
// buffer, written for these two commands and nothing else. They deliver the same records to the
// same callbacks as the library's reader, and say whether the text was well formed with a bool.
//
// They take blanks between any two tokens, tags in any order, keywords in any letter case and
// %XX escapes in narrow strings; they reject a missing or repeated tag, an unknown tag and a
// value of the wrong kind. What they leave out is what makes the library general: sources other
// than one buffer, bare words as narrow values, error messages and the exact read order of faults.
// Wide strings go through AssignUtf16 (convert.h), which does not check continuation bytes.
#ifndef CMDS_BENCH_HAND_PARSER_H
#define CMDS_BENCH_HAND_PARSER_H

#include <string_view>

#include "cmds/cmds.h"

namespace bench {

bool HandReadFindOutput(std::string_view text, cmds::IFindOut& sink);
bool HandReadShareInput(std::string_view text, cmds::IShareIn& sink);

}  // namespace bench

#endif
