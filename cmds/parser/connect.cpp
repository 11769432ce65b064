#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kConnectInTags({{KW_USER, NUMBER},
                                   {KW_PWD, STRING},
                                   {KW_HOST, WSTRING},
                                   {KW_ADDRESS, STRING},
                                   {KW_PORT, NUMBER},
                                   {KW_BROWSABLE, C_VALUE},
                                   {KW_HTTPPROXY, C_VALUE},
                                   {KW_SOCKSPROXY, C_VALUE}});
constexpr TagTable kConnectOutTags({{KW_ERROR, NUMBER}, {KW_FILE, NUMBER}});

}  // namespace

void Reader::Read(IConnectIn& sink) {
    Header();
    TagList tags(state_, kConnectInTags);
    Expect(ReadTagList(tags), SEMICOLON);

    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);

    const wstring& host = RetrieveW(tags, KW_HOST, nullptr);
    const std::string& address = RetrieveA(tags, KW_ADDRESS, nullptr);
    const auto port = static_cast<unsigned short>(Retrieve(tags, KW_PORT));
    sink.OnConnectInHost(port, address, host);

    const C_TYPE_ENUM socksproxy = Retrieve(tags, KW_SOCKSPROXY, C_NO);
    const C_TYPE_ENUM httpproxy = Retrieve(tags, KW_HTTPPROXY, C_NO);
    const C_TYPE_ENUM browsable = Retrieve(tags, KW_BROWSABLE, C_NO);
    sink.OnConnectInFlags(IsYes(browsable), IsYes(httpproxy), IsYes(socksproxy));
}

void Reader::Read(IConnectOut& sink) {
    Header();
    TagList tags(state_, kConnectOutTags);
    Expect(ReadTagList(tags), SEMICOLON);

    sink.OnError(ToErrorCode(Retrieve(tags, KW_ERROR)));
    sink.OnConnectOut(Retrieve(tags, KW_FILE));
}

}  // namespace cmds::detail
