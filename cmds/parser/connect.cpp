#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

void CParser::Parse(IConnectIn& sink) {
    ParseHeader(KW_CONNECT, KW_INPUT);
    detail::TagTable tags(kept_->connectIn);
    ExpectToken(ParseTagList(tags), SEMICOLON);

    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);

    const wstring& host = RetrieveW(tags, KW_HOST, nullptr);
    const std::string& address = RetrieveA(tags, KW_ADDRESS, nullptr);
    const auto port = static_cast<unsigned short>(Retrieve(tags, KW_PORT));
    sink.OnConnectInHost(port, address, host);

    const C_TYPE_ENUM socksproxy = Retrieve(tags, KW_SOCKSPROXY, C_NO);
    const C_TYPE_ENUM httpproxy = Retrieve(tags, KW_HTTPPROXY, C_NO);
    const C_TYPE_ENUM browsable = Retrieve(tags, KW_BROWSABLE, C_NO);
    sink.OnConnectInFlags(detail::IsYes(browsable), detail::IsYes(httpproxy),
                          detail::IsYes(socksproxy));
}

void CParser::Parse(IConnectOut& sink) {
    ParseHeader(KW_CONNECT, KW_OUTPUT);
    detail::TagTable tags(kept_->connectOut);
    ExpectToken(ParseTagList(tags), SEMICOLON);

    sink.OnError(detail::ToErrorCode(Retrieve(tags, KW_ERROR)));
    sink.OnConnectOut(Retrieve(tags, KW_FILE));
}

}  // namespace cmds
