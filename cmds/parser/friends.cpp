#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

void CParser::Parse(IFriendsIn& sink) {
    ParseHeader(KW_FRIENDS, KW_INPUT);
    detail::TagTable tags(kept_->credentials);
    const TOKEN end = ParseTagList(tags);
    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);

    ExpectToken(end, LBRACE);
    ExpectToken(ParseHostList(static_cast<IHost&>(sink)), RBRACE);
    ExpectToken(Next(), SEMICOLON);
}

// The "{" is checked before OnError, unlike the search reply.
void CParser::Parse(IFriendsOut& sink) {
    ParseHeader(KW_FRIENDS, KW_OUTPUT);
    std::uint64_t error = 0;
    ExpectToken(ParseTag(KW_ERROR, error), LBRACE);
    sink.OnError(detail::ToErrorCode(error));
    ExpectToken(ParseHostList(static_cast<IHost&>(sink)), RBRACE);
    ExpectToken(Next(), SEMICOLON);
}

}  // namespace cmds
