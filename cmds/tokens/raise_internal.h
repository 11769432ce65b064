// One throwing routine per error type, so that every place that raises an error reads alike, and
// the where and why that a reader attaches.
#ifndef CMDS_TOKENS_RAISE_INTERNAL_H
#define CMDS_TOKENS_RAISE_INTERNAL_H

#include <cstdint>
#include <string>

#include "cmds/tokens/errors.h"

namespace cmds::detail {

struct ErrorDetail {
    CTextPosition position;
    std::int32_t command = -1;
    tokens::TOKEN tag = tokens::NO_TOKEN;
    std::string record;
    std::string reason;
};

// The error codes, which are also indices into the name tables.
enum ErrorCode : std::int32_t {
    kLexErrorCode = 0,
    kSyntaxErrorCode = 1,
    kSemanticErrorCode = 2,
    kRuntimeErrorCode = 3,
    kDeadlockErrorCode = 4,
    kCancelErrorCode = 5,
};

[[noreturn]] void ThrowLexError();
[[noreturn]] void ThrowSyntaxError();
[[noreturn]] void ThrowSemanticError();
[[noreturn]] void ThrowRuntimeError();
[[noreturn]] void ThrowDeadlockError();
[[noreturn]] void ThrowCancelError();

// Throws the error of `code` with `detail` attached.
[[noreturn]] void ThrowLocated(ErrorCode code, ErrorDetail detail);

// Attaches `detail` to an error raised without one (a source's own), keeping one it already has.
void LocateIfBare(CCmdError& error, const ErrorDetail& detail);

}  // namespace cmds::detail

#endif
