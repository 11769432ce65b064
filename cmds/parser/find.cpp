#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kFindInTags({{KW_USER, NUMBER},
                                {KW_PWD, STRING},
                                {KW_KEYWORDS, WSTRING},
                                {KW_CASE, C_VALUE},
                                {KW_RANK, C_VALUE},
                                {KW_FREETEXT, C_VALUE},
                                {KW_SCOPE, SCOPE_VALUE},
                                {KW_MATCH, M_VALUE},
                                {KW_EXACT, P_VALUE},
                                {KW_MAX, NUMBER}});

}  // namespace

void Reader::Read(IFindIn& sink) {
    Header();
    TagList tags(state_, kFindInTags);
    // The end of the list is checked only after every callback has been made.
    const TOKEN end = ReadTagList(tags);

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
    sink.OnCase(IsYes(isCase));
    sink.OnRank(IsYes(rank));
    sink.OnFreetext(IsYes(freetext));

    Expect(end, SEMICOLON);
}

void Reader::Read(IFindOut& sink) {
    Header();
    std::uint64_t error = 0;
    const TOKEN token = ReadTag(KW_ERROR, error);
    sink.OnError(ToErrorCode(error));
    Expect(token, LBRACE);
    Expect(ReadHostList(sink), RBRACE);
    Expect(Next(), SEMICOLON);
}

}  // namespace cmds::detail
