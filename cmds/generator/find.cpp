#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
void CGenerator::GenerateFindIn(const CFindIn& request) {
    const Batch batch(*this);
    GenerateFindIn(request.user, request.pwd, request.keywords, request.exact, request.match,
                   request.isCase, request.rank, request.freetext, request.scope, request.max);
}

// The search options count from 0, their words from 1 (0 is the empty word); an option outside
// its named values is left out, so the reader falls back to its default.
void CGenerator::GenerateFindIn(std::uint64_t user, const wstring& pwd, const wstring& keywords,
                                eExact exact, eMatch match, bool isCase, bool rank, bool freetext,
                                eScope scope, std::uint32_t max) {
    const Batch batch(*this);
    GenerateHeader(eCommandFindIn);
    GenerateUser(user, pwd);
    Generate(tokens::COMMA);
    GenerateBreak(1);
    GenerateTag(tokens::KW_KEYWORDS, keywords);
    Generate(tokens::COMMA);
    GenerateBreak(1);
    GenerateFlagTag(tokens::KW_CASE, isCase);
    Generate(tokens::COMMA);
    GenerateFlagTag(tokens::KW_RANK, rank);
    Generate(tokens::COMMA);
    GenerateFlagTag(tokens::KW_FREETEXT, freetext);
    if (scope >= eScopeGlobal && scope <= eScopeFriend) {
        Generate(tokens::COMMA);
        GenerateTag(tokens::KW_SCOPE, static_cast<tokens::SCOPE_TYPE_ENUM>(scope + 1));
    }
    if (match >= eMatchAll && match <= eMatchExpression) {
        Generate(tokens::COMMA);
        GenerateTag(tokens::KW_MATCH, static_cast<tokens::M_TYPE_ENUM>(match + 1));
    }
    if (exact >= eExactOn && exact <= eExactEnd) {
        Generate(tokens::COMMA);
        GenerateTag(tokens::KW_EXACT, static_cast<tokens::P_TYPE_ENUM>(exact + 1));
    }
    if (max > 0) {
        Generate(tokens::COMMA);
        GenerateTag(tokens::KW_MAX, static_cast<std::uint64_t>(max));
    }
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateFindOutBegin(tagERROR_CODE error) {
    const Batch batch(*this);
    GenerateHeader(eCommandFindOut);
    GenerateErrorTag(error);
    GenerateBreak(1);
    Generate(tokens::LBRACE);
}

void CGenerator::GenerateFindOutEnd() {
    const Batch batch(*this);
    GenerateBreak(1);
    Generate(tokens::RBRACE);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
