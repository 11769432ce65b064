// The library's own decoding of the UTF-8 that only one result can come from.
#ifndef CMDS_LEXER_UTF8_INTERNAL_H
#define CMDS_LEXER_UTF8_INTERNAL_H

#include <cstddef>

#include "cmds/tokens/tokens.h"

namespace cmds::detail {

// Decodes `length` bytes of UTF-8 into `out` when they are well formed in the strict sense:
// shortest forms of code points up to U+10FFFF, no surrogates. Those are the UTF-8 forms of
// values that ConvertUnicodeToUTF8 writes, and ConvertUTF8ToUnicode must undo it, so it could
// give nothing else. Returns false, leaving `out` unspecified, on any other byte sequence, which
// only the support library may decode. `readable` (at least `length`) bytes from `text` on may be
// read.
bool DecodeUtf8(const char* text, std::size_t length, std::size_t readable, wstring& out);

}  // namespace cmds::detail

#endif
