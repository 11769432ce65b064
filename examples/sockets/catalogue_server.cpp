// The catalogue server: one thread runs an event loop that accepts connections on 127.0.0.1,
// frames each connection's bytes into commands, and answers every request from an in-memory
// catalogue of shared files.
//
//   catalogue_server [--port N] [--seconds S]
//
// --port 0 (the default) lets the system pick a free port. The line "listening on
// 127.0.0.1:PORT" tells which one. The server stops after S seconds (0, the default: never), or
// on SIGINT or SIGTERM, and prints its totals.
#include <array>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include <asio.hpp>

#include "catalogue.h"
#include "common.h"

namespace {

using asio::ip::tcp;

struct Totals {
    std::uint64_t connections = 0;
    std::uint64_t commands = 0;
};

// One accepted connection. It alternates between reading and writing: whatever arrived is
// framed and answered, the replies are written, and only then is the socket read again. A peer
// that sends without reading therefore holds at most one read's worth of replies here.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(tcp::socket socket, example::Catalogue& catalogue, Totals& totals)
        : socket_(std::move(socket)),
          catalogue_(catalogue),
          totals_(totals),
          number_(++totals.connections) {}

    void Start() { ReadMore(); }

private:
    void ReadMore() {
        socket_.async_read_some(
            asio::buffer(received_),
            [self = shared_from_this()](const asio::error_code& error, std::size_t size) {
                if (error) {
                    self->Close();
                    return;
                }
                self->framer_.Append(std::string_view(self->received_.data(), size));
                self->AnswerFramedCommands();
            });
    }

    // A command too large to frame, or one that is no request, leaves nothing to resynchronise
    // on: the replies already made are sent and the connection is closed.
    void AnswerFramedCommands() {
        std::string command;
        for (;;) {
            const cmds::eFrameStatus status = framer_.Next(command);
            if (status == cmds::eFrameIncomplete) {
                break;
            }
            if (status == cmds::eFrameTooLarge || !catalogue_.Answer(number_, command, replies_)) {
                closing_ = true;
                break;
            }
            ++totals_.commands;
        }
        SendReplies();
    }

    void SendReplies() {
        sending_ = replies_.str();
        replies_.Reset();
        if (sending_.empty()) {
            ReadOrClose(asio::error_code());
            return;
        }
        asio::async_write(socket_, asio::buffer(sending_),
                          [self = shared_from_this()](const asio::error_code& error, std::size_t) {
                              self->ReadOrClose(error);
                          });
    }

    void ReadOrClose(const asio::error_code& error) {
        if (error || closing_) {
            Close();
        } else {
            ReadMore();
        }
    }

    void Close() {
        catalogue_.EndSessions(number_);
        asio::error_code ignored;
        socket_.close(ignored);
    }

    tcp::socket socket_;
    example::Catalogue& catalogue_;
    Totals& totals_;
    const std::uint64_t number_;
    cmds::CCommandFramer framer_;
    cmds::CStrStmGenerator replies_;
    std::string sending_;
    std::array<char, 16384> received_{};
    bool closing_ = false;
};

void AcceptConnections(tcp::acceptor& acceptor, example::Catalogue& catalogue, Totals& totals) {
    acceptor.async_accept(
        [&acceptor, &catalogue, &totals](const asio::error_code& error, tcp::socket socket) {
            if (error == asio::error::operation_aborted) {
                return;
            }
            if (!error) {
                // Replies are small and complete when written; Nagle's algorithm would only delay
                // them.
                asio::error_code ignored;
                socket.set_option(tcp::no_delay(true), ignored);
                std::make_shared<Connection>(std::move(socket), catalogue, totals)->Start();
            }
            AcceptConnections(acceptor, catalogue, totals);
        });
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto port =
            static_cast<unsigned short>(example::NumberOption(argc, argv, "--port", 0, 65535));
        const auto seconds = example::NumberOption(argc, argv, "--seconds", 0, 86400);

        example::Catalogue catalogue;
        Totals totals;
        asio::io_context io;
        tcp::acceptor acceptor(io, tcp::endpoint(asio::ip::address_v4::loopback(), port));
        AcceptConnections(acceptor, catalogue, totals);

        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&io](const asio::error_code&, int) { io.stop(); });
        asio::steady_timer limit(io);
        if (seconds > 0) {
            limit.expires_after(std::chrono::seconds(seconds));
            limit.async_wait([&io](const asio::error_code& error) {
                if (!error) {
                    io.stop();
                }
            });
        }

        std::cout << "listening on 127.0.0.1:" << acceptor.local_endpoint().port() << std::endl;
        io.run();
        std::cout << "answered " << totals.commands << " requests on " << totals.connections
                  << " connections" << std::endl;
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "catalogue_server: " << error.what() << "\n";
        return 1;
    }
}
