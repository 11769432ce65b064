#include "cmds/tokens/tokens.h"

#include "cmds/tokens/tables_internal.h"

namespace cmds {
namespace {

const char* Lookup(const char* const* table, int count, int value) {
    return value >= 0 && value < count ? table[value] : nullptr;
}

}  // namespace

const char* GetKeyword(tokens::TOKEN token) {
    if (token == tokens::END_OF_INPUT) {
        return detail::kKeywordTexts[kKeywordCount - 1];
    }
    return Lookup(detail::kKeywordTexts, kKeywordCount, token);
}

const char* GetMType(tokens::M_TYPE_ENUM value) {
    return Lookup(detail::kMTypeTexts, kMTypeCount, value);
}

const char* GetPType(tokens::P_TYPE_ENUM value) {
    return Lookup(detail::kPTypeTexts, kPTypeCount, value);
}

const char* GetCType(tokens::C_TYPE_ENUM value) {
    return Lookup(detail::kCTypeTexts, kCTypeCount, value);
}

const char* GetScopeType(tokens::SCOPE_TYPE_ENUM value) {
    return Lookup(detail::kScopeTypeTexts, kScopeTypeCount, value);
}

}  // namespace cmds
