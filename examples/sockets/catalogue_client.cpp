// A client of the catalogue server: runs an exchange of every request kind on one connection and
// checks every value of every reply, reading each reply whole before parsing it.
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

// Frames the received bytes and parses each reply from a string of its own, as a client that
// reads its socket on the thread that parses does.
class FramedChannel final : public example::ReplyChannel {
public:
    FramedChannel(unsigned short port, std::chrono::steady_clock::time_point deadline)
        : connection_(port, deadline) {}

    void Send(const std::string& request) override { connection_.Send(request); }

    void Receive(const std::function<void(cmds::CParser&)>& parse) override {
        std::string reply;
        if (!connection_.ReadCommand(reply)) {
            throw std::runtime_error("the server closed the connection before replying");
        }
        cmds::CStrLexerStream source(reply);
        cmds::CParser parser(source);
        parse(parser);
    }

    bool ServerCloses() override {
        std::string unexpected;
        return !connection_.ReadCommand(unexpected);
    }

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
        FramedChannel channel(port,
                              std::chrono::steady_clock::now() + std::chrono::seconds(seconds));
        const int replies = example::RunCheckedExchange(channel, kUser);
        std::cout << "catalogue_client: all " << replies << " replies as expected\n";
        return 0;
    } catch (const cmds::CCmdError& error) {
        // Each reply is parsed from its own string, so lines and columns count within it.
        std::cerr << "catalogue_client: unreadable reply, at " << cmds::DescribeError(error)
                  << "\n";
    } catch (const std::exception& error) {
        std::cerr << "catalogue_client: " << error.what() << "\n";
    }
    return 1;
}
