#include "cmds/tokens/errors.h"

#include <memory>
#include <utility>

#include "cmds/interfaces/commands.h"
#include "cmds/tokens/raise_internal.h"

namespace cmds {

namespace {

struct ErrorNames {
    const char* type;
    const char* text;
};

// Indexed by code.
constexpr ErrorNames kErrorNames[] = {
    {"CLexError", "lexical error"},       {"CSyntaxError", "syntax error"},
    {"CSemanticError", "semantic error"}, {"CRuntimeError", "runtime error"},
    {"CDeadlockError", "deadlock error"}, {"CCancelError", "cancel error"},
};
constexpr int kErrorCount = static_cast<int>(sizeof kErrorNames / sizeof kErrorNames[0]);

const ErrorNames* NamesOf(const CCmdError& error) {
    return error.code >= 0 && error.code < kErrorCount ? &kErrorNames[error.code] : nullptr;
}

}  // namespace

CTextPosition CCmdError::Position() const noexcept {
    return detail_ ? detail_->position : CTextPosition{};
}

std::int32_t CCmdError::Command() const noexcept {
    return detail_ ? detail_->command : -1;
}

tokens::TOKEN CCmdError::Tag() const noexcept {
    return detail_ ? detail_->tag : tokens::NO_TOKEN;
}

const char* CCmdError::Record() const noexcept {
    return detail_ ? detail_->record.c_str() : "";
}

const char* CCmdError::Reason() const noexcept {
    return detail_ ? detail_->reason.c_str() : "";
}

CLexError::CLexError() : CCmdError(detail::kLexErrorCode) {}
CSyntaxError::CSyntaxError() : CCmdError(detail::kSyntaxErrorCode) {}
CSemanticError::CSemanticError() : CCmdError(detail::kSemanticErrorCode) {}
CRuntimeError::CRuntimeError() : CCmdError(detail::kRuntimeErrorCode) {}
CDeadlockError::CDeadlockError() : CCmdError(detail::kDeadlockErrorCode) {}
CCancelError::CCancelError() : CCmdError(detail::kCancelErrorCode) {}

const char* GetErrorName(const CCmdError& error) {
    const ErrorNames* names = NamesOf(error);
    return names != nullptr ? names->text : "unknown error";
}

const char* GetErrorTypeName(const CCmdError& error) {
    const ErrorNames* names = NamesOf(error);
    return names != nullptr ? names->type : "CCmdError";
}

std::string DescribeError(const CCmdError& error) {
    if (!error.Located()) {
        return GetErrorName(error);
    }
    const CTextPosition at = error.Position();
    std::string text =
        std::to_string(at.line) + ":" + std::to_string(at.column) + ": " + GetErrorName(error);
    const int command = error.Command();
    if (command >= 0 && command < kCommandCount) {
        text += " in ";
        text += kCommands[command].name;
        if (*error.Record() != '\0') {
            text += ", ";
            text += error.Record();
        }
    }
    if (*error.Reason() != '\0') {
        text += ": ";
        text += error.Reason();
    }
    return text;
}

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

namespace {

template <typename Error>
[[noreturn]] void ThrowWith(ErrorDetail&& detail) {
    Error error;
    error.Locate(std::make_shared<const ErrorDetail>(std::move(detail)));
    throw error;
}

}  // namespace

void ThrowLocated(ErrorCode code, ErrorDetail detail) {
    switch (code) {
        case kLexErrorCode:
            ThrowWith<CLexError>(std::move(detail));
        case kSyntaxErrorCode:
            ThrowWith<CSyntaxError>(std::move(detail));
        case kSemanticErrorCode:
            ThrowWith<CSemanticError>(std::move(detail));
        case kDeadlockErrorCode:
            ThrowWith<CDeadlockError>(std::move(detail));
        case kCancelErrorCode:
            ThrowWith<CCancelError>(std::move(detail));
        case kRuntimeErrorCode:
            break;
    }
    ThrowWith<CRuntimeError>(std::move(detail));
}

void LocateIfBare(CCmdError& error, const ErrorDetail& detail) {
    if (!error.Located()) {
        error.Locate(std::make_shared<const ErrorDetail>(detail));
    }
}

}  // namespace detail
}  // namespace cmds
