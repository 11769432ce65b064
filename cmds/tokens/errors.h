/// @file
/// The error types that the lexer, the feed stream and the parser throw, by value.
#ifndef CMDS_TOKENS_ERRORS_H
#define CMDS_TOKENS_ERRORS_H

#include <cstdint>

#include "cmds/export.h"

namespace cmds {

/// Common base of every error; `code` tells the kinds apart (0 to 5, stable).
struct CMDS_API CCmdError {
    std::int32_t code;
};

/// The characters read start no token, or the input ends inside a quoted string. Code 0.
struct CMDS_API CLexError : CCmdError {
    CLexError();
};

/// Wrong header, a token the grammar does not allow, an undeclared tag or a value of the wrong
/// kind. Code 1.
struct CMDS_API CSyntaxError : CCmdError {
    CSyntaxError();
};

/// A required tag is absent, or a tag occurred more than once. Code 2.
struct CMDS_API CSemanticError : CCmdError {
    CSemanticError();
};

/// A tag was retrieved that the command did not declare; no input causes it. Code 3.
struct CMDS_API CRuntimeError : CCmdError {
    CRuntimeError();
};

/// A feed stream waited longer than its time-out for characters. Code 4.
struct CMDS_API CDeadlockError : CCmdError {
    CDeadlockError();
};

/// A character was read or put back after the feed stream was aborted. Code 5.
struct CMDS_API CCancelError : CCmdError {
    CCancelError();
};

}  // namespace cmds

#endif
