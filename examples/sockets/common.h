// What the socket examples share: the catalogue's result codes, wide-string literals and the
// reading of numeric command-line options.
#ifndef CMDS_EXAMPLES_SOCKETS_COMMON_H
#define CMDS_EXAMPLES_SOCKETS_COMMON_H

#include <cstdint>
#include <string_view>

#include "cmds/cmds.h"

namespace example {

// The result codes the catalogue server answers with; the library carries them without meaning.
enum ResultCode : std::int32_t {
    kOk = 0,
    kBadCommand = 1,     // the request's header was readable, the rest was not
    kNotConnected = 2,   // no CONNECT for this user, or a DISCONNECT since
    kWrongPassword = 3,  // the password differs from the one of the user's first CONNECT
    kUnknownFolder = 4,  // UNSHARE of a folder that holds nothing
    kUnknownFile = 5,    // a "-" or "*" record of SHARE names no shared file
};

// The wide string of an ASCII text.
cmds::wstring Wide(std::string_view ascii);

// The number after `name` on the command line, or `fallback` when the option is absent.
// Throws std::invalid_argument when it is not a decimal number from 0 to `max`.
std::uint64_t NumberOption(int argc, char** argv, std::string_view name, std::uint64_t fallback,
                           std::uint64_t max);

}  // namespace example

#endif
