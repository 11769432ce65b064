// An exchange of every request kind with the catalogue server, checking every value of every
// reply. The client and the threaded peer run it over their own ways of reading replies.
#ifndef CMDS_EXAMPLES_SOCKETS_CHECKED_EXCHANGE_H
#define CMDS_EXAMPLES_SOCKETS_CHECKED_EXCHANGE_H

#include <cstdint>
#include <string>

#include "cmds/cmds.h"
#include "reply.h"

namespace example {

class ReplyChannel {
public:
    virtual ~ReplyChannel() = default;

    virtual void Send(const std::string& request) = 0;
    // Reads the next reply, which must be of kind `expected`: std::runtime_error otherwise.
    virtual Reply Receive(cmds::eCommand expected) = 0;
    // True when the server closes the connection instead of replying.
    virtual bool ServerCloses() = 0;
};

// Runs the exchange as user `user`, with `user` + 1 as that user's friend, and leaves the
// catalogue as it found it. Returns the number of replies checked; throws std::runtime_error
// naming the first value that differs from what the server must answer. The library's errors
// (cmds::CCmdError) pass through.
int RunCheckedExchange(ReplyChannel& channel, std::uint64_t user);

}  // namespace example

#endif
