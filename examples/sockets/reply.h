// A recorder of every value of any reply, for the programs that check the server's answers.
#ifndef CMDS_EXAMPLES_SOCKETS_REPLY_H
#define CMDS_EXAMPLES_SOCKETS_REPLY_H

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "cmds/cmds.h"

namespace example {

struct ShareResult {
    std::int32_t error = 0;
    std::uint32_t id = 0;
    std::uint64_t folder = 0;

    friend bool operator==(const ShareResult& a, const ShareResult& b) {
        return a.error == b.error && a.id == b.id && a.folder == b.folder;
    }
};

// A host of a FIND reply with its files, or a friend of a FRIENDS reply (without files).
struct FoundHost {
    bool online = true;
    cmds::CHostInfo host;
    std::vector<cmds::CFileInfo> files;

    friend bool operator==(const FoundHost& a, const FoundHost& b) {
        return a.online == b.online && a.host == b.host && a.files == b.files;
    }
};

// One entry of a DIRECTORY listing, in the order of the reply.
using ListingEntry = std::variant<cmds::CSubDirInfo, cmds::CFileInfo>;

// One object serves every reply interface, so one Receive template reads any reply: the caller
// parses through the interface of the reply it expects and reads the fields that reply fills.
class Reply final : public cmds::IConnectOut,
                    public cmds::IDisconnectOut,
                    public cmds::IAliveOut,
                    public cmds::IShareOut,
                    public cmds::IUnshareOut,
                    public cmds::IShareDirOut,
                    public cmds::IDirectory,
                    public cmds::IFindOut,
                    public cmds::IFriendsOut {
public:
    std::optional<std::int32_t> error;
    std::uint64_t file = 0;    // CONNECT OUTPUT
    std::uint64_t folder = 0;  // SHAREDIR OUTPUT
    std::vector<ShareResult> shareResults;
    cmds::wstring listingName;
    std::uint64_t listingId = 0;
    std::vector<ListingEntry> listing;
    std::vector<FoundHost> hosts;

    void OnError(tagERROR_CODE code) override { error = code; }
    void OnConnectOut(std::uint64_t value) override { file = value; }
    void OnShareOutFile(tagERROR_CODE code, std::uint32_t id, std::uint64_t in) override {
        shareResults.push_back({code, id, in});
    }
    void OnShareDirOut(std::uint64_t value) override { folder = value; }
    void OnDirectoryBegin(const cmds::wstring& name, std::uint64_t id) override {
        listingName = name;
        listingId = id;
    }
    void OnSubDir(cmds::CSubDirInfo& entry) override { listing.emplace_back(std::move(entry)); }
    void OnHost(bool online, const cmds::CHostInfo& host) override {
        hosts.push_back({online, host, {}});
    }
    // In a FIND reply a file belongs to the host before it; in a listing there are no hosts.
    void OnFile(cmds::FILE_TYPE_ENUM, cmds::CFileInfo& record) override {
        if (hosts.empty()) {
            listing.emplace_back(std::move(record));
        } else {
            hosts.back().files.push_back(std::move(record));
        }
    }
};

// Chooses `reply` as the sink of a command of kind `command`, for a push reader; false, choosing
// none, for a request.
inline bool UseReply(Reply& reply, cmds::eCommand command, cmds::CSinkChoice& choice) {
    return cmds::VisitCommand(command, [&](auto kind) {
        using Sink = typename decltype(kind)::Sink;
        if constexpr (std::is_base_of_v<Sink, Reply>) {
            choice.Use(static_cast<Sink&>(reply));
            return true;
        } else {
            return false;
        }
    });
}

// Reads the next command from `parser` into `reply`, through the interface of a reply of kind
// `command`; a request is CRuntimeError.
inline void ParseReply(cmds::CParser& parser, cmds::eCommand command, Reply& reply) {
    cmds::VisitCommand(command, [&](auto kind) {
        using Sink = typename decltype(kind)::Sink;
        if constexpr (std::is_base_of_v<Sink, Reply>) {
            parser.Parse(static_cast<Sink&>(reply));
        } else {
            throw cmds::CRuntimeError();
        }
    });
}

}  // namespace example

#endif
