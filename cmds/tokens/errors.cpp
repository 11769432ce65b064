#include "cmds/tokens/errors.h"

#include "cmds/tokens/raise_internal.h"

namespace cmds {

CLexError::CLexError() : CCmdError{0} {}
CSyntaxError::CSyntaxError() : CCmdError{1} {}
CSemanticError::CSemanticError() : CCmdError{2} {}
CRuntimeError::CRuntimeError() : CCmdError{3} {}
CDeadlockError::CDeadlockError() : CCmdError{4} {}
CCancelError::CCancelError() : CCmdError{5} {}

namespace detail {

void ThrowLexError() {
    throw CLexError();
}
void ThrowSyntaxError() {
    throw CSyntaxError();
}
void ThrowSemanticError() {
    throw CSemanticError();
}
void ThrowRuntimeError() {
    throw CRuntimeError();
}
void ThrowDeadlockError() {
    throw CDeadlockError();
}
void ThrowCancelError() {
    throw CCancelError();
}

}  // namespace detail
}  // namespace cmds
