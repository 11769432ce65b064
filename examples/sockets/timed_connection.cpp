#include "timed_connection.h"

#include <stdexcept>
#include <string_view>
#include <system_error>

namespace example {

template <typename Start>
std::size_t TimedConnection::Await(Start start, asio::error_code& error) {
    error = asio::error::would_block;
    std::size_t transferred = 0;
    start([&](const asio::error_code& result, std::size_t size) {
        error = result;
        transferred = size;
    });
    io_.restart();
    io_.run_until(deadline_);
    if (error == asio::error::would_block) {
        // The operation still refers to `error` and `transferred`: close the socket and let it
        // finish as cancelled before they go out of scope.
        socket_.close();
        io_.run();
        error = asio::error::timed_out;
    }
    return transferred;
}

TimedConnection::TimedConnection(unsigned short port,
                                 std::chrono::steady_clock::time_point deadline)
    : socket_(io_), deadline_(deadline) {
    const asio::ip::tcp::endpoint server(asio::ip::address_v4::loopback(), port);
    asio::error_code error;
    Await([&](auto done) { socket_.async_connect(server, [done](auto code) { done(code, 0); }); },
          error);
    if (error) {
        throw std::system_error(error, "connect");
    }
    // Requests are small and complete when sent; Nagle's algorithm would only delay them.
    socket_.set_option(asio::ip::tcp::no_delay(true));
}

void TimedConnection::Send(const std::string& text) {
    asio::error_code error;
    Await([&](auto done) { asio::async_write(socket_, asio::buffer(text), done); }, error);
    if (error) {
        throw std::system_error(error, "send");
    }
}

bool TimedConnection::ReadCommand(std::string& command) {
    for (;;) {
        switch (framer_.Next(command)) {
            case cmds::eFrameCommand:
                return true;
            case cmds::eFrameTooLarge:
                throw std::runtime_error("a reply is larger than the framer takes");
            case cmds::eFrameIncomplete:
                break;
        }
        asio::error_code error;
        const std::size_t size = Await(
            [&](auto done) { socket_.async_read_some(asio::buffer(received_), done); }, error);
        if (error == asio::error::eof) {
            return false;
        }
        if (error) {
            throw std::system_error(error, "receive");
        }
        framer_.Append(std::string_view(received_.data(), size));
    }
}

void TimedConnection::FinishSending() {
    socket_.shutdown(asio::ip::tcp::socket::shutdown_send);
}

}  // namespace example
