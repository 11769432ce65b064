// A blocking client connection to 127.0.0.1 whose every operation must end before one deadline,
// so that a server that stops answering cannot hold the program. Replies are read with a push
// reader as they arrive.
#ifndef CMDS_EXAMPLES_SOCKETS_TIMED_CONNECTION_H
#define CMDS_EXAMPLES_SOCKETS_TIMED_CONNECTION_H

#include <array>
#include <chrono>
#include <deque>
#include <string>
#include <utility>

#include <asio.hpp>

#include "cmds/cmds.h"
#include "reply.h"

namespace example {

// Each operation runs the connection's own event loop until it completes or the deadline
// passes; the connection belongs to one thread.
class TimedConnection final : private cmds::CPushReader::IHandler {
public:
    // Throws std::system_error when the connection fails or the deadline has passed.
    TimedConnection(unsigned short port, std::chrono::steady_clock::time_point deadline);

    void Send(const std::string& text);
    // Sends `text` in writes of `pieceSize` bytes, each its own segment, as a peer that trickles.
    void Send(const std::string& text, std::size_t pieceSize);
    // The next reply, which must be of kind `expected`. Throws std::runtime_error when another
    // kind comes or the server closes the connection instead, cmds::CCmdError for a reply that
    // does not read (or a request), and std::system_error.
    Reply Receive(cmds::eCommand expected);
    // True when the server closes the connection, false when another reply comes instead.
    bool ServerCloses();
    // Tells the server that no more requests follow; the replies can still be read.
    void FinishSending();

private:
    template <typename Start>
    std::size_t Await(Start start, asio::error_code& error);
    // Reads until a reply is whole; false when the server closes the connection first.
    bool ReceiveWhole();

    void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override;
    void OnCommandEnd(const cmds::CCommandHeader& header) override;

    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    std::chrono::steady_clock::time_point deadline_;
    cmds::CPushReader reader_;
    // The replies of the bytes received so far; the last one may be still being read.
    std::deque<std::pair<cmds::eCommand, Reply>> replies_;
    std::size_t complete_ = 0;  // how many of them have been read whole
    std::array<char, 16384> received_{};
};

}  // namespace example

#endif
