// A blocking client connection to 127.0.0.1 whose every operation must end before one deadline,
// so that a server that stops answering cannot hold the program.
#ifndef CMDS_EXAMPLES_SOCKETS_TIMED_CONNECTION_H
#define CMDS_EXAMPLES_SOCKETS_TIMED_CONNECTION_H

#include <array>
#include <chrono>
#include <string>

#include <asio.hpp>

#include "cmds/cmds.h"

namespace example {

// Each operation runs the connection's own event loop until it completes or the deadline
// passes; the connection belongs to one thread.
class TimedConnection {
public:
    // Throws std::system_error when the connection fails or the deadline has passed.
    TimedConnection(unsigned short port, std::chrono::steady_clock::time_point deadline);

    void Send(const std::string& text);
    // The next command received, framed; false once the server has closed the connection.
    bool ReadCommand(std::string& command);
    // Tells the server that no more requests follow; the replies can still be read.
    void FinishSending();

private:
    template <typename Start>
    std::size_t Await(Start start, asio::error_code& error);

    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    std::chrono::steady_clock::time_point deadline_;
    cmds::CCommandFramer framer_;
    std::array<char, 16384> received_{};
};

}  // namespace example

#endif
