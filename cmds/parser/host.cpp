#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

// Reads the tags of one host record into `host`; the caller has consumed "(".
TOKEN CParser::ParseHostTags(CHostInfo& host, bool& online) {
    detail::TagTable tags(kept_->host);
    const TOKEN next = ParseTagList(tags);
    host.id = Retrieve(tags, KW_ID);
    TakeW(tags, KW_HOST, detail::kNoWideText, host.host);
    host.port = static_cast<unsigned short>(Retrieve(tags, KW_PORT, std::uint64_t{0}));
    TakeW(tags, KW_USER, detail::kNoWideText, host.user);
    TakeW(tags, KW_NICK, detail::kNoWideText, host.nick);
    host.address.clear();
    ParseAddressVect(RetrieveA(tags, KW_ADDRESS, ""), host.address);
    online = detail::IsYes(Retrieve(tags, KW_ONLINE, C_YES));
    return next;
}

// Friend entries: "(" tags ")" each. OnHost comes before the ")" is checked.
TOKEN CParser::ParseHostList(IHost& sink) {
    TOKEN token = Next();
    while (token == LPAREN) {
        const detail::Lease<CHostInfo> host(kept_->hostRecord);
        bool online = true;
        const TOKEN end = ParseHostTags(*host, online);
        sink.OnHost(online, *host);
        ExpectToken(end, RPAREN);
        token = Next();
    }
    return token;
}

// Hosts of a search reply: "(" tags, then one or more "[" file "]", then ")". OnHost comes once
// the first "[" is read; each OnFile once the token after its "]" is read.
TOKEN CParser::ParseHostList(IFindOut& sink) {
    TOKEN token = Next();
    while (token == LPAREN) {
        const detail::Lease<CHostInfo> host(kept_->hostRecord);
        bool online = true;
        token = ParseHostTags(*host, online);
        ExpectToken(token, LBRACKET);
        static_cast<IHost&>(sink).OnHost(online, *host);
        while (token == LBRACKET) {
            const detail::Lease<CFileInfo> record(kept_->file);
            ExpectToken(ParseFile(*record, FILE_PLUS), RBRACKET);
            token = Next();
            static_cast<IFile&>(sink).OnFile(FILE_PLUS, *record);
        }
        ExpectToken(token, RPAREN);
        token = Next();
    }
    return token;
}

// Splits an address text at line feeds, semicolons, commas, blanks, tabs and carriage returns;
// empty pieces are dropped and the pieces are appended to what `addresses` holds.
void CParser::ParseAddressVect(const std::string& text, std::vector<std::string>& addresses) {
    static const char kSeparators[] = "\n;, \t\r";
    std::size_t start = 0;
    while (start < text.size()) {
        start = text.find_first_not_of(kSeparators, start);
        if (start == std::string::npos) {
            break;
        }
        std::size_t end = text.find_first_of(kSeparators, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        addresses.emplace_back(text, start, end - start);
        start = end;
    }
}

}  // namespace cmds
