// The in-memory catalogue behind the example server: the users who connected, the files each one
// shares and each one's friends, and the answer to every request.
#ifndef CMDS_EXAMPLES_SOCKETS_CATALOGUE_H
#define CMDS_EXAMPLES_SOCKETS_CATALOGUE_H

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common.h"

namespace example {

class Catalogue;

// A request of the kind whose callback interface is `Interface`, read whole.
template <typename Interface>
struct Request;

// A request whose header was read: it takes the callbacks of the rest as they come, and the
// catalogue acts on it only once the whole request has been read.
class PendingRequest {
public:
    virtual ~PendingRequest() = default;

    // Acts on the request, read whole, writing its replies on `out`.
    virtual void Answer(Catalogue& catalogue, std::uint64_t connection, cmds::CGenerator& out) = 0;
    // Answers a request whose reading failed with kBadCommand, changing nothing.
    virtual void Refuse(cmds::CGenerator& out) const = 0;
};

// One user's shared records by (folder, id), so that the entries of a folder stand together.
using SharedFiles = std::map<std::pair<std::uint64_t, std::uint64_t>, cmds::CFileInfo>;

// Answers one request at a time. The server's event loop is its only caller, so it takes no lock.
//
// Files are kept per user by (folder, id). A shared record whose type is 'folder' stands for a
// sub-folder: its id is the sub-folder's number and its file the sub-folder's name. A user is
// online from a CONNECT until a DISCONNECT or until the connection it came on closes; the files
// stay, so a user who connects again finds them (CONNECT OUTPUT's file is their number).
class Catalogue {
public:
    // Begins the request whose header was just read, choosing the sink of its callbacks. Null,
    // choosing none, when the header names a reply, which is no request.
    static std::unique_ptr<PendingRequest> Begin(const cmds::CCommandHeader& header,
                                                 cmds::CSinkChoice& choice);

    // Takes offline the users who connected on `connection`, which has closed.
    void EndSessions(std::uint64_t connection);

private:
    template <typename Interface>
    friend class Pending;

    struct User {
        std::string pwd;  // signed password of the user's first CONNECT
        cmds::wstring host;
        std::string address;
        unsigned short port = 0;
        std::optional<std::uint64_t> connection;  // set while online
        SharedFiles files;
        std::vector<std::uint64_t> friends;
    };

    // Acts on a request that read whole, writing its replies on `out`.
    void Serve(const Request<cmds::IConnectIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);
    void Serve(const Request<cmds::IDisconnectIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);
    void Serve(const Request<cmds::IAliveIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);
    void Serve(const Request<cmds::IShareIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);
    void Serve(const Request<cmds::IUnshareIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);
    void Serve(const Request<cmds::IShareDirIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);
    void Serve(const Request<cmds::IFindIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);
    void Serve(const Request<cmds::IFriendsIn>& request, std::uint64_t connection,
               cmds::CGenerator& out);

    // The online user whom `user` and `pwd` name, or null with `refusal` set.
    User* Authenticate(std::uint64_t user, const std::string& pwd, ResultCode& refusal);
    // The users a search of `scope` by `requester` looks at, online ones only, by number.
    std::vector<std::pair<std::uint64_t, const User*>> Searched(std::uint64_t requester,
                                                                cmds::eScope scope) const;

    std::map<std::uint64_t, User> users_;
};

}  // namespace example

#endif
