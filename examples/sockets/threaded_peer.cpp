// A peer of the catalogue server built the way the feed stream is meant for: a network thread
// owns the socket and feeds every byte it receives into a CMtLexerStream, while the main thread
// parses the replies from it, waiting inside Parse until their bytes have arrived. It runs the
// same checked exchange as catalogue_client.
//
//   threaded_peer --port N [--seconds S]
//
// Exits with 0 when every reply is what the server must answer, 1 otherwise or when the exchange
// takes longer than S seconds (default 30).
#include <array>
#include <chrono>
#include <deque>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>

#include <asio.hpp>

#include "checked_exchange.h"
#include "common.h"
#include "reply.h"

namespace {

using asio::ip::tcp;

class FeedChannel final : public example::ReplyChannel {
public:
    FeedChannel(unsigned short port, std::chrono::seconds limit)
        : socket_(io_), limit_(io_), parser_(feed_) {
        socket_.connect(tcp::endpoint(asio::ip::address_v4::loopback(), port));
        socket_.set_option(tcp::no_delay(true));
        limit_.expires_after(limit);
        limit_.async_wait([this](const asio::error_code& error) {
            if (!error) {
                socket_.close();
            }
        });
        ReadMore();
        network_ = std::thread([this] { io_.run(); });
    }

    ~FeedChannel() override {
        if (network_.joinable()) {
            asio::post(io_, [this] { socket_.close(); });
            network_.join();
        }
    }

    // Only the network thread touches the socket, so requests travel to it as posted work.
    void Send(const std::string& request) override {
        asio::post(io_, [this, request] {
            outbox_.push_back(request);
            if (outbox_.size() == 1) {
                WriteNext();
            }
        });
    }

    // One parser reads every reply from the feed stream, in order, as the reply expected.
    example::Reply Receive(cmds::eCommand expected) override {
        example::Reply reply;
        example::ParseReply(parser_, expected, reply);
        return reply;
    }

    bool ServerCloses() override {
        network_.join();
        return closedByServer_;
    }

private:
    void ReadMore() {
        socket_.async_read_some(
            asio::buffer(received_), [this](const asio::error_code& error, std::size_t size) {
                if (error) {
                    EndFeed(error == asio::error::eof);
                    return;
                }
                feed_.InsertToStream(received_.data(), static_cast<std::uint32_t>(size));
                ReadMore();
            });
    }

    // Nothing more will arrive: a reader waiting in Parse is woken to meet the aborted stream
    // (CCancelError) instead of waiting out the stream's two minutes.
    void EndFeed(bool byServer) {
        closedByServer_ = byServer;
        limit_.cancel();
        socket_.close();
        feed_.Abort();
        feed_.InsertToStream("", 0);
    }

    void WriteNext() {
        asio::async_write(socket_, asio::buffer(outbox_.front()),
                          [this](const asio::error_code& error, std::size_t) {
                              if (error) {
                                  return;  // the read fails too and ends the feed
                              }
                              outbox_.pop_front();
                              if (!outbox_.empty()) {
                                  WriteNext();
                              }
                          });
    }

    asio::io_context io_;
    tcp::socket socket_;
    asio::steady_timer limit_;
    std::array<char, 16384> received_{};
    std::deque<std::string> outbox_;
    bool closedByServer_ = false;
    cmds::CMtLexerStream feed_;
    cmds::CParser parser_;
    std::thread network_;
};

// User numbers of their own, so that the client and the threaded peer can share a server.
constexpr std::uint64_t kUser = 7100;

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto port =
            static_cast<unsigned short>(example::NumberOption(argc, argv, "--port", 0, 65535));
        const auto seconds = example::NumberOption(argc, argv, "--seconds", 30, 3600);
        if (port == 0) {
            throw std::invalid_argument("--port names the server's port");
        }
        FeedChannel channel(port, std::chrono::seconds(seconds));
        const int replies = example::RunCheckedExchange(channel, kUser);
        std::cout << "threaded_peer: all " << replies << " replies as expected\n";
        return 0;
    } catch (const cmds::CCancelError&) {
        std::cerr << "threaded_peer: the connection ended, or the time ran out, before a reply\n";
    } catch (const cmds::CCmdError& error) {
        // One parser reads the whole connection, so lines and columns count from its start.
        std::cerr << "threaded_peer: unreadable reply, at " << cmds::DescribeError(error) << "\n";
    } catch (const std::exception& error) {
        std::cerr << "threaded_peer: " << error.what() << "\n";
    }
    return 1;
}
