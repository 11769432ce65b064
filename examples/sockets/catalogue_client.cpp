// A client of the catalogue server: runs an exchange of every request kind on one connection and
// checks every value of every reply, reading the replies with a push reader as their bytes
// arrive.
//
//   catalogue_client --port N [--seconds S]
//
// Exits with 0 when every reply is what the server must answer, 1 otherwise or when the exchange
// takes longer than S seconds (default 30).
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>

#include "checked_exchange.h"
#include "common.h"
#include "timed_connection.h"

namespace {

// Reads the replies on the thread that sends the requests, as a client with one socket does.
class PushChannel final : public example::ReplyChannel {
public:
    PushChannel(unsigned short port, std::chrono::steady_clock::time_point deadline)
        : connection_(port, deadline) {}

    void Send(const std::string& request) override { connection_.Send(request); }

    example::Reply Receive(cmds::eCommand expected) override {
        return connection_.Receive(expected);
    }

    bool ServerCloses() override { return connection_.ServerCloses(); }

private:
    example::TimedConnection connection_;
};

// User numbers of their own, so that the client and the threaded peer can share a server.
constexpr std::uint64_t kUser = 7000;

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto port =
            static_cast<unsigned short>(example::NumberOption(argc, argv, "--port", 0, 65535));
        const auto seconds = example::NumberOption(argc, argv, "--seconds", 30, 3600);
        if (port == 0) {
            throw std::invalid_argument("--port names the server's port");
        }
        PushChannel channel(port, std::chrono::steady_clock::now() + std::chrono::seconds(seconds));
        const int replies = example::RunCheckedExchange(channel, kUser);
        std::cout << "catalogue_client: all " << replies << " replies as expected\n";
        return 0;
    } catch (const cmds::CCmdError& error) {
        // One reader reads the whole connection, so lines and columns count from its start.
        std::cerr << "catalogue_client: unreadable reply, at " << cmds::DescribeError(error)
                  << "\n";
    } catch (const std::exception& error) {
        std::cerr << "catalogue_client: " << error.what() << "\n";
    }
    return 1;
}
