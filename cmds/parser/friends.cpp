#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

void Reader::Read(IFriendsIn& sink) {
    Header();
    TOKEN end = NO_TOKEN;
    {
        TagList tags(state_, kCredentialTags);
        end = ReadTagList(tags);
        const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
        sink.OnUser(Retrieve(tags, KW_USER), pwd);
    }
    Expect(end, LBRACE);
    Expect(ReadHostList(static_cast<IHost&>(sink)), RBRACE);
    Expect(Next(), SEMICOLON);
}

// The "{" is checked before OnError, unlike the search reply.
void Reader::Read(IFriendsOut& sink) {
    Header();
    std::uint64_t error = 0;
    Expect(ReadTag(KW_ERROR, error), LBRACE);
    sink.OnError(ToErrorCode(error));
    Expect(ReadHostList(static_cast<IHost&>(sink)), RBRACE);
    Expect(Next(), SEMICOLON);
}

}  // namespace cmds::detail
