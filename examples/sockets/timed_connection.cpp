#include "timed_connection.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
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
    : socket_(io_), deadline_(deadline), reader_(*this) {
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

void TimedConnection::Send(const std::string& text, std::size_t pieceSize) {
    // Each write starts when the one before has completed, all within one wait.
    std::size_t sent = 0;
    std::function<void(const asio::error_code&, std::size_t)> next;
    asio::error_code error;
    Await(
        [&](auto done) {
            next = [&, done](const asio::error_code& failure, std::size_t size) {
                sent += size;
                if (failure || sent == text.size()) {
                    done(failure, sent);
                    return;
                }
                const std::size_t piece = std::min(pieceSize, text.size() - sent);
                asio::async_write(socket_, asio::buffer(text.data() + sent, piece), next);
            };
            next(asio::error_code(), 0);
        },
        error);
    if (error) {
        throw std::system_error(error, "send");
    }
}

bool TimedConnection::ReceiveWhole() {
    while (complete_ == 0) {
        asio::error_code error;
        const std::size_t size = Await(
            [&](auto done) { socket_.async_read_some(asio::buffer(received_), done); }, error);
        // A server that closes with requests unread resets the connection.
        if (error == asio::error::eof || error == asio::error::connection_reset) {
            // A reply left unfinished fails here.
            reader_.Finish();
            return false;
        }
        if (error) {
            throw std::system_error(error, "receive");
        }
        reader_.Feed(received_.data(), size);
    }
    return true;
}

Reply TimedConnection::Receive(cmds::eCommand expected) {
    if (!ReceiveWhole()) {
        throw std::runtime_error("the server closed the connection with a reply owed");
    }
    auto [command, reply] = std::move(replies_.front());
    replies_.pop_front();
    --complete_;
    if (command != expected) {
        throw std::runtime_error(std::string(cmds::kCommands[command].name) + " arrived where " +
                                 cmds::kCommands[expected].name + " was due");
    }
    return reply;
}

bool TimedConnection::ServerCloses() {
    return !ReceiveWhole();
}

void TimedConnection::OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) {
    // A request from the server gets no sink, which fails the read.
    replies_.emplace_back(header.command, Reply());
    UseReply(replies_.back().second, header.command, choice);
}

void TimedConnection::OnCommandEnd(const cmds::CCommandHeader&) {
    ++complete_;
}

void TimedConnection::FinishSending() {
    socket_.shutdown(asio::ip::tcp::socket::shutdown_send);
}

}  // namespace example
