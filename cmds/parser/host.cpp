#include "cmds/parser/parser_internal.h"

#include <utility>

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kHostTags("a host record", {{KW_ID, NUMBER},
                                               {KW_HOST, WSTRING},
                                               {KW_USER, WSTRING},
                                               {KW_NICK, WSTRING},
                                               {KW_ADDRESS, STRING},
                                               {KW_PORT, NUMBER},
                                               {KW_ONLINE, C_VALUE}});

constexpr int kHostSlot = kHostTags.SlotOf(KW_HOST);
constexpr int kUserSlot = kHostTags.SlotOf(KW_USER);
constexpr int kNickSlot = kHostTags.SlotOf(KW_NICK);

}  // namespace

// Reads the tags of one host record into `host`; the caller has consumed "(".
TOKEN Reader::ReadHostTags(CHostInfo& host, bool& online) {
    TagList tags(state_, kHostTags);
    tags.Bind(kHostSlot, host.host);
    tags.Bind(kUserSlot, host.user);
    tags.Bind(kNickSlot, host.nick);
    const TOKEN next = ReadTagList(tags);
    host.id = Retrieve(tags, KW_ID);
    Settle(tags, kHostSlot, KW_HOST, false);
    host.port = static_cast<unsigned short>(Retrieve(tags, KW_PORT, std::uint64_t{0}));
    Settle(tags, kUserSlot, KW_USER, false);
    Settle(tags, kNickSlot, KW_NICK, false);
    SplitAddresses(RetrieveA(tags, KW_ADDRESS, ""), host.address);
    online = IsYes(Retrieve(tags, KW_ONLINE, C_YES));
    return next;
}

// Friend entries: "(" tags ")" each. OnHost comes before the ")" is checked.
TOKEN Reader::ReadHostList(IHost& sink) {
    TOKEN token = Next();
    for (std::uint32_t number = 1; token == LPAREN; ++number) {
        EnterRecord("host", number);
        const Lease<CHostInfo> host(state_.host);
        bool online = true;
        const TOKEN end = ReadHostTags(*host, online);
        sink.OnHost(online, *host);
        Expect(end, RPAREN);
        token = Next();
    }
    EnterRecord(nullptr, 0);
    return token;
}

// Hosts of a search reply: "(" tags, then one or more "[" file "]", then ")". OnHost comes once
// the first "[" is read; each OnFile once the token after its "]" is read.
TOKEN Reader::ReadHostList(IFindOut& sink) {
    TOKEN token = Next();
    for (std::uint32_t number = 1; token == LPAREN; ++number) {
        EnterRecord("host", number);
        const Lease<CHostInfo> host(state_.host);
        bool online = true;
        token = ReadHostTags(*host, online);
        Expect(token, LBRACKET);
        static_cast<IHost&>(sink).OnHost(online, *host);
        record_.host = number;
        for (std::uint32_t file = 1; token == LBRACKET; ++file) {
            EnterRecord("file", file);
            const Lease<CFileInfo> record(state_.file);
            Expect(ReadFile(*record, FILE_PLUS), RBRACKET);
            token = Next();
            static_cast<IFile&>(sink).OnFile(FILE_PLUS, *record);
        }
        record_ = RecordPlace{"host", number, 0};
        Expect(token, RPAREN);
        token = Next();
    }
    EnterRecord(nullptr, 0);
    return token;
}

// Splits an address text at line feeds, semicolons, commas, blanks, tabs and carriage returns
// into `addresses`, dropping empty pieces. Strings are reused, those left over kept aside for
// later hosts, so that reading allocates nothing once they have grown to fit.
void Reader::SplitAddresses(const std::string& text, std::vector<std::string>& addresses) {
    static const char kSeparators[] = "\n;, \t\r";
    std::vector<std::string>& spare = state_.spareAddresses;
    std::size_t count = 0;
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
        if (count == addresses.size()) {
            if (spare.empty()) {
                addresses.emplace_back();
            } else {
                addresses.push_back(std::move(spare.back()));
                spare.pop_back();
            }
        }
        addresses[count++].assign(text, start, end - start);
        start = end;
    }
    while (addresses.size() > count) {
        spare.push_back(std::move(addresses.back()));
        addresses.pop_back();
    }
}

}  // namespace cmds::detail
