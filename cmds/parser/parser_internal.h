// Conversions shared by the command readers.
#ifndef CMDS_PARSER_PARSER_INTERNAL_H
#define CMDS_PARSER_PARSER_INTERNAL_H

#include <cstdint>

#include "cmds/tokens/tokens.h"

namespace cmds::detail {

// A result code travels widened with its sign; its low 32 bits give it back.
inline tagERROR_CODE ToErrorCode(std::uint64_t number) {
    return static_cast<tagERROR_CODE>(
        static_cast<std::int32_t>(static_cast<std::uint32_t>(number)));
}

inline bool IsYes(tokens::C_TYPE_ENUM value) {
    return value == tokens::C_YES;
}

// Default of an optional wide-string tag.
inline constexpr unsigned short kNoWideText[1] = {0};

}  // namespace cmds::detail

#endif
