// How the tool carries the two kinds of string of the command language in JSON text, which
// holds Unicode only: narrow strings are bytes of any value, wide strings are 16-bit units that
// may include unpaired surrogates.
#ifndef CMDS_TOOLS_JSON_TEXT_H
#define CMDS_TOOLS_JSON_TEXT_H

#include <string>
#include <string_view>

#include "cmds/tokens/tokens.h"

namespace cmds_tool {

// Bytes 0x20 to 0x7E other than '%' stand for themselves; every other byte is written "%XX".
std::string NarrowToJson(std::string_view bytes);
// The inverse: "%XX" (either case) is one byte and any other character its UTF-8 bytes.
// Throws std::invalid_argument for a '%' without two hexadecimal digits.
std::string NarrowFromJson(std::string_view text);

// UTF-8 of the text, with '%' written "%25" and each unpaired surrogate "%uXXXX".
std::string WideToJson(const cmds::wstring& units);
// The inverse of `text`, which is valid UTF-8: "%XX" is the unit 00XX, "%uXXXX" the unit XXXX
// (hexadecimal digits in either case), any other character its UTF-16 units. Throws
// std::invalid_argument for a '%' that starts neither escape.
cmds::wstring WideFromJson(std::string_view text);

}  // namespace cmds_tool

#endif
