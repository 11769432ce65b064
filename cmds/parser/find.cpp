#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

void CParser::Parse(IFindIn& sink) {
    ParseHeader(KW_FIND, KW_INPUT);
    detail::TagTable tags(kept_->findIn);
    // The end of the list is checked only after every callback has been made.
    const TOKEN end = ParseTagList(tags);

    const M_TYPE_ENUM match = Retrieve(tags, KW_MATCH, M_ANY);
    const P_TYPE_ENUM exact = Retrieve(tags, KW_EXACT, P_OFF);
    const C_TYPE_ENUM isCase = Retrieve(tags, KW_CASE, C_NO);
    const C_TYPE_ENUM rank = Retrieve(tags, KW_RANK, C_NO);
    const C_TYPE_ENUM freetext = Retrieve(tags, KW_FREETEXT, C_NO);
    const SCOPE_TYPE_ENUM scope = Retrieve(tags, KW_SCOPE, SCOPE_GLOBAL);

    sink.OnKeywords(RetrieveW(tags, KW_KEYWORDS, nullptr));
    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);
    sink.OnMax(static_cast<std::uint32_t>(Retrieve(tags, KW_MAX, std::uint64_t{100})));

    // The request's words are numbered from 1, the search options from 0.
    sink.OnScope(static_cast<eScope>(scope - 1));
    sink.OnMatch(static_cast<eMatch>(match - 1));
    sink.OnExact(static_cast<eExact>(exact - 1));
    sink.OnCase(detail::IsYes(isCase));
    sink.OnRank(detail::IsYes(rank));
    sink.OnFreetext(detail::IsYes(freetext));

    ExpectToken(end, SEMICOLON);
}

void CParser::Parse(IFindOut& sink) {
    ParseHeader(KW_FIND, KW_OUTPUT);
    std::uint64_t error = 0;
    const TOKEN token = ParseTag(KW_ERROR, error);
    sink.OnError(detail::ToErrorCode(error));
    ExpectToken(token, LBRACE);
    ExpectToken(ParseHostList(sink), RBRACE);
    ExpectToken(Next(), SEMICOLON);
}

}  // namespace cmds
