// One throwing routine per error type, so that every place that raises an error reads alike.
#ifndef CMDS_TOKENS_RAISE_INTERNAL_H
#define CMDS_TOKENS_RAISE_INTERNAL_H

namespace cmds::detail {

[[noreturn]] void ThrowLexError();
[[noreturn]] void ThrowSyntaxError();
[[noreturn]] void ThrowSemanticError();
[[noreturn]] void ThrowRuntimeError();
[[noreturn]] void ThrowDeadlockError();
[[noreturn]] void ThrowCancelError();

}  // namespace cmds::detail

#endif
