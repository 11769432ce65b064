/// @file
/// The error types that the lexer, the feed stream and the parser throw, by value, and where and
/// why a read failed.
#ifndef CMDS_TOKENS_ERRORS_H
#define CMDS_TOKENS_ERRORS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "cmds/export.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

/// A place in the input: `offset` bytes from where the lexer started reading, on line `line` at
/// column `column`. Lines and columns count from 1; a line ends after each line feed; a column
/// is one byte.
struct CTextPosition {
    std::size_t offset = 0;
    std::size_t line = 1;
    std::size_t column = 1;
};

namespace detail {
struct ErrorDetail;
}

/// Common base of every error; `code` tells the kinds apart (0 to 5, stable). An error raised by
/// the lexer or the parser also tells where and why (Located() is then true); copying an error
/// is cheap and never throws.
struct CMDS_API CCmdError {
    std::int32_t code;

    /// Whether the error came from reading input and carries the fields below.
    bool Located() const noexcept { return detail_ != nullptr; }
    /// The first byte of the token at fault (for a source's own error, where reading stopped).
    CTextPosition Position() const noexcept;
    /// The command being read (the one Parse was called for): an eCommand id, or -1 when the
    /// error was not raised by a Parse.
    std::int32_t Command() const noexcept;
    /// The tag being read or retrieved, or NO_TOKEN.
    tokens::TOKEN Tag() const noexcept;
    /// The record being read, as "file record 3" (counted from 1 in its list), or "".
    const char* Record() const noexcept;
    /// What was expected and what was read, as "file takes a number; read the wide string 'x'",
    /// or "" when not located.
    const char* Reason() const noexcept;

    explicit CCmdError(std::int32_t errorCode) noexcept : code(errorCode) {}

    /// For the library's readers: attaches where and why.
    void Locate(std::shared_ptr<const detail::ErrorDetail> detail) noexcept {
        detail_ = std::move(detail);
    }

private:
    std::shared_ptr<const detail::ErrorDetail> detail_;
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

/// A tag was retrieved that the command did not declare, or a command id outside the table was
/// used; no input causes it. Code 3.
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

/// "lexical error", "syntax error", "semantic error", "runtime error", "deadlock error" or
/// "cancel error" by the error's code; "unknown error" for any other code.
CMDS_API const char* GetErrorName(const CCmdError& error);

/// The class name of the error's type by its code ("CSyntaxError"); "CCmdError" for any other.
CMDS_API const char* GetErrorTypeName(const CCmdError& error);

/// One line for a person: "2:15: syntax error in CONNECT OUTPUT: file takes a number; read the
/// wide string 'x'", with the record after the command when there is one. Without a location,
/// just the error's name.
CMDS_API std::string DescribeError(const CCmdError& error);

}  // namespace cmds

#endif
