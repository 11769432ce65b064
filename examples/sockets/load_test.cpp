// A load test of the catalogue server: many connections at once, each sending SHAREDIR requests
// in batches and checking every reply, for a few seconds. It prints how many commands went each
// way per second.
//
//   load_test --port N [--seconds S] [--connections C]
//
// S defaults to 3 and C to 100. Exits with 1 when any reply is missing, repeated, out of order or
// meant for another connection.
#include <chrono>
#include <cstdint>
#include <functional>
#include <iomanip>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common.h"
#include "reply.h"
#include "timed_connection.h"

namespace {

using Clock = std::chrono::steady_clock;
using example::Reply;

constexpr std::uint64_t kFirstUser = 100000;
constexpr std::uint32_t kBatch = 8;  // requests sent before their replies are read

// A request's folder number carries its connection's number and its own sequence number, and
// both of its replies echo it (SHAREDIR OUTPUT as its folder, DIRECTORY OUTPUT as its id). Every
// reply is checked against the next number due, so a reply lost, repeated or sent to another
// connection breaks the sequence where it happens.
std::uint64_t Tag(std::uint32_t connection, std::uint32_t sequence) {
    return std::uint64_t{connection} << 32 | sequence;
}

std::string Describe(std::uint64_t tag) {
    return "request " + std::to_string(tag & 0xFFFFFFFFu) + " of connection " +
           std::to_string(tag >> 32);
}

struct Tally {
    std::uint64_t requests = 0;
    std::uint64_t replies = 0;
    std::string failure;
};

class LoadConnection {
public:
    LoadConnection(unsigned short port, std::uint32_t number, Clock::time_point deadline,
                   Tally& tally)
        : connection_(port, deadline), number_(number), user_(kFirstUser + number), tally_(tally) {}

    void Run(Clock::time_point stopSending) {
        LogOn();
        for (std::uint32_t sequence = 0; Clock::now() < stopSending; sequence += kBatch) {
            SendBatch(sequence);
            for (std::uint32_t i = 0; i < kBatch; ++i) {
                CheckAnswer(sequence + i);
            }
        }
        // Every reply owed has been read: after the end of the requests only the end of the
        // connection may come.
        connection_.FinishSending();
        if (!connection_.ServerCloses()) {
            throw std::runtime_error("a reply arrived after the last one owed");
        }
    }

private:
    Reply Next(cmds::eCommand expected) {
        Reply reply = connection_.Receive(expected);
        ++tally_.replies;
        return reply;
    }

    void Send(const std::string& text, std::uint64_t requests) {
        connection_.Send(text);
        tally_.requests += requests;
    }

    void LogOn() {
        Send(cmds::GenerateConnectIn(user_, password_, "127.0.0.1", 0, example::Wide("load"), false,
                                     false, false),
             1);
        if (Next(cmds::eCommandConnectOut).error != example::kOk) {
            throw std::runtime_error("CONNECT was refused");
        }
    }

    void SendBatch(std::uint32_t first) {
        for (std::uint32_t i = 0; i < kBatch; ++i) {
            generator_.GenerateShareDirIn(user_, password_, Tag(number_, first + i));
        }
        Send(generator_.str(), kBatch);
        generator_.Reset();
    }

    void CheckAnswer(std::uint32_t sequence) {
        const std::uint64_t due = Tag(number_, sequence);
        const Reply shareDir = Next(cmds::eCommandShareDirOut);
        ExpectEcho("SHAREDIR OUTPUT", shareDir, shareDir.folder, due);
        const Reply listing = Next(cmds::eCommandDirectory);
        ExpectEcho("DIRECTORY OUTPUT", listing, listing.listingId, due);
    }

    static void ExpectEcho(const char* kind, const Reply& reply, std::uint64_t echoed,
                           std::uint64_t due) {
        if (reply.error == example::kOk && echoed == due) {
            return;
        }
        const std::string found =
            reply.error == example::kOk ? " for " + Describe(echoed) : " with a refusal";
        throw std::runtime_error(kind + found + " where the reply to " + Describe(due) +
                                 " was due");
    }

    example::TimedConnection connection_;
    const std::uint32_t number_;
    const std::uint64_t user_;
    const cmds::wstring password_ = example::Wide("load");
    cmds::CStrStmGenerator generator_;
    Tally& tally_;
};

void RunConnection(unsigned short port, std::uint32_t number, Clock::time_point stopSending,
                   Clock::time_point deadline, Tally& tally) {
    try {
        LoadConnection(port, number, deadline, tally).Run(stopSending);
    } catch (const cmds::CCmdError& error) {
        tally.failure = "unreadable reply, at " + cmds::DescribeError(error);
    } catch (const std::exception& error) {
        tally.failure = error.what();
    }
}

void PrintFigure(const char* what, std::uint64_t count, double seconds) {
    std::cout << "  " << std::left << std::setw(16) << what << std::right << std::setw(10) << count
              << "  (" << static_cast<std::uint64_t>(count / seconds) << " per second)\n";
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto port =
            static_cast<unsigned short>(example::NumberOption(argc, argv, "--port", 0, 65535));
        const auto seconds = example::NumberOption(argc, argv, "--seconds", 3, 600);
        const auto connections = example::NumberOption(argc, argv, "--connections", 100, 1000);
        if (port == 0) {
            throw std::invalid_argument("--port names the server's port");
        }

        const Clock::time_point start = Clock::now();
        const Clock::time_point stopSending = start + std::chrono::seconds(seconds);
        // Replies still owed at the end get this long, so a slow (sanitised) build still passes
        // while a server that stopped answering cannot hold the test.
        const Clock::time_point deadline = stopSending + std::chrono::seconds(30);
        std::vector<Tally> tallies(connections);
        std::vector<std::thread> threads;
        for (std::uint32_t number = 0; number < connections; ++number) {
            threads.emplace_back(RunConnection, port, number, stopSending, deadline,
                                 std::ref(tallies[number]));
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

        Tally total;
        int failed = 0;
        for (std::uint32_t number = 0; number < connections; ++number) {
            total.requests += tallies[number].requests;
            total.replies += tallies[number].replies;
            if (!tallies[number].failure.empty()) {
                ++failed;
                std::cerr << "load_test: connection " << number << ": " << tallies[number].failure
                          << "\n";
            }
        }
        std::cout << "load_test: " << connections << " connections for " << std::fixed
                  << std::setprecision(2) << elapsed << " s, SHAREDIR requests in batches of "
                  << kBatch << "\n";
        PrintFigure("requests sent", total.requests, elapsed);
        PrintFigure("replies checked", total.replies, elapsed);
        PrintFigure("commands", total.requests + total.replies, elapsed);
        if (failed > 0) {
            std::cout << "load_test: " << failed << " connections failed\n";
            return 1;
        }
        std::cout << "load_test: every reply arrived once, in order, on the connection that asked "
                     "for it\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "load_test: " << error.what() << "\n";
        return 1;
    }
}
