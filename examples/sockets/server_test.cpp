// The catalogue server against peers on 127.0.0.1: large requests from fast and slow peers, a
// request that fails in the middle, and peers that connect and say nothing.
#include <gtest/gtest.h>

#include <pthread.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <asio.hpp>

#include "common.h"
#include "reply.h"
#include "server.h"
#include "timed_connection.h"

namespace {

using Clock = std::chrono::steady_clock;
using example::Reply;
using example::TimedConnection;
using example::Wide;

// Long enough for a sanitised build on a busy machine; only a fault makes a test wait this long.
constexpr std::chrono::seconds kPatience(60);

// A server whose event loop runs on a thread of its own for the length of a test.
class RunningServer {
public:
    explicit RunningServer(const example::ServerOptions& options)
        : server_(io_, options), thread_([this] { io_.run(); }) {}
    ~RunningServer() {
        io_.stop();
        thread_.join();
    }

    TimedConnection Connect() { return TimedConnection(server_.Port(), Clock::now() + kPatience); }

    // CPU time that the server's thread has used so far.
    double CpuSeconds() {
        clockid_t clock;
        timespec used{};
        pthread_getcpuclockid(thread_.native_handle(), &clock);
        clock_gettime(clock, &used);
        return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
    }

private:
    asio::io_context io_;
    example::CatalogueServer server_;
    std::thread thread_;
};

const cmds::wstring kPassword = Wide("secret");

std::string ConnectRequest(std::uint64_t user) {
    return cmds::GenerateConnectIn(user, kPassword, "127.0.0.1", 6001, Wide("host"), false, false,
                                   false);
}

std::string AliveRequest(std::uint64_t user) {
    cmds::CStrStmGenerator out;
    out.GenerateAliveIn(user, kPassword);
    return out.str();
}

// A SHARE INPUT of `files` files in folder 1.
std::string ShareRequest(std::uint64_t user, std::uint64_t files) {
    cmds::CStrStmGenerator out;
    out.GenerateShareInBegin(user, kPassword);
    cmds::CFileInfo record;
    record.folder = 1;
    record.size = 4096;
    record.keywords = Wide("holiday photo");
    for (record.id = 0; record.id < files; ++record.id) {
        record.file = Wide("photo " + std::to_string(record.id) + ".jpg");
        out.GenerateFile(cmds::FILE_PLUS, record);
    }
    out.GenerateShareInEnd();
    return out.str();
}

// Shares `files` files as `user`, sending the request with `send`, and checks every result.
// Returns the server's CPU seconds per byte of the request.
template <typename Send>
double ShareAndCount(RunningServer& server, TimedConnection& peer, std::uint64_t user,
                     std::uint64_t files, Send send) {
    peer.Send(ConnectRequest(user));
    EXPECT_EQ(peer.Receive(cmds::eCommandConnectOut).error, example::kOk);
    const std::string request = ShareRequest(user, files);
    const double before = server.CpuSeconds();
    send(request);
    const Reply reply = peer.Receive(cmds::eCommandShareOut);
    const double used = server.CpuSeconds() - before;
    EXPECT_EQ(reply.error, example::kOk);
    EXPECT_EQ(reply.shareResults.size(), files);
    std::size_t wrong = 0;
    for (std::uint32_t id = 0; id < reply.shareResults.size(); ++id) {
        wrong += !(reply.shareResults[id] == example::ShareResult{example::kOk, id, 1});
    }
    EXPECT_EQ(wrong, 0u) << "results that are not success for the file of their place";
    return used / static_cast<double>(request.size());
}

TEST(CatalogueServer, StoresLargeSharesFromFastAndTricklingPeers) {
    RunningServer server({});
    TimedConnection large = server.Connect();
    ShareAndCount(server, large, 1, 20000, [&large](const std::string& text) { large.Send(text); });
    // The files stay shared: a new session of the user finds all of them.
    TimedConnection again = server.Connect();
    again.Send(ConnectRequest(1));
    EXPECT_EQ(again.Receive(cmds::eCommandConnectOut).file, 20000u);

    TimedConnection fast = server.Connect();
    const double fastCost =
        ShareAndCount(server, fast, 2, 2000, [&fast](const std::string& text) { fast.Send(text); });
    // One byte per write, each its own segment: without care the server would read as little as
    // one byte at a time.
    TimedConnection slow = server.Connect();
    const double slowCost = ShareAndCount(server, slow, 3, 2000,
                                          [&slow](const std::string& text) { slow.Send(text, 1); });
    std::cout << "server CPU per request byte: " << fastCost * 1e9 << " ns from a fast peer, "
              << slowCost * 1e9 << " ns from a peer sending one byte at a time\n";
    RecordProperty("fast_ns_per_byte", std::to_string(fastCost * 1e9));
    RecordProperty("slow_ns_per_byte", std::to_string(slowCost * 1e9));
}

// What the server answered, by kind and result, until it closed the connection.
std::vector<std::pair<cmds::eCommand, std::int32_t>> Answers(
    TimedConnection& peer, const std::vector<cmds::eCommand>& kinds) {
    std::vector<std::pair<cmds::eCommand, std::int32_t>> answers;
    for (const cmds::eCommand kind : kinds) {
        answers.emplace_back(kind, peer.Receive(kind).error.value_or(-1));
    }
    return answers;
}

TEST(CatalogueServer, RefusesARequestThatFailsAndReadsOnAfterItsEnd) {
    const std::string alive = AliveRequest(5);
    const std::string longValue((std::size_t{1} << 20) + 1, ';');
    const struct {
        const char* name;
        std::string sent;
        std::vector<cmds::eCommand> replies;  // the first refused, the others answered
        bool closes;                          // instead of replying
    } cases[] = {
        {"a tag no request has, before a string holding ';'",
         "SHARE INPUT user:5,pwd:x,file:'a;b\";';" + alive,
         {cmds::eCommandShareOut, cmds::eCommandAliveOut},
         false},
        {"a wrong value in a record",
         "SHARE INPUT user:5,pwd:x{(+[folder:'a;b',id:1])};" + alive,
         {cmds::eCommandShareOut, cmds::eCommandAliveOut},
         false},
        {"a missing tag, found at the ';'",
         "ALIVE INPUT user:5;" + alive + alive,
         {cmds::eCommandAliveOut, cmds::eCommandAliveOut, cmds::eCommandAliveOut},
         false},
        {"a value over the limit, cut inside its quotes",
         "ALIVE INPUT user:5,pwd:\"" + longValue + "\";" + alive,
         {cmds::eCommandAliveOut, cmds::eCommandAliveOut},
         false},
        {"a reply where a request was due", "ALIVE OUTPUT error:0;" + alive, {}, true},
        {"a header that names no command", "HELLO SERVER;" + alive, {}, true},
    };
    RunningServer server({});
    for (const auto& c : cases) {
        TimedConnection peer = server.Connect();
        peer.Send(c.sent);
        std::vector<std::pair<cmds::eCommand, std::int32_t>> expected;
        for (std::size_t i = 0; i < c.replies.size(); ++i) {
            expected.emplace_back(c.replies[i],
                                  i == 0 ? example::kBadCommand : example::kNotConnected);
        }
        EXPECT_EQ(Answers(peer, c.replies), expected) << c.name;
        if (c.closes) {
            EXPECT_TRUE(peer.ServerCloses()) << c.name;
        }
    }
}

TEST(CatalogueServer, DropsPeersThatSayNothingAndRefusesConnectionsBeyondItsCap) {
    example::ServerOptions options;
    options.idleTimeout = std::chrono::milliseconds(300);
    options.maxConnections = 2;
    RunningServer server(options);

    // A peer that keeps talking stays, for several times the timeout; once silent, it goes.
    TimedConnection talking = server.Connect();
    for (int i = 0; i < 8; ++i) {
        talking.Send(AliveRequest(9));
        EXPECT_EQ(talking.Receive(cmds::eCommandAliveOut).error, example::kNotConnected);
        std::this_thread::sleep_for(options.idleTimeout / 3);
    }
    const Clock::time_point silent = Clock::now();
    EXPECT_TRUE(talking.ServerCloses());
    EXPECT_GE(Clock::now() - silent, options.idleTimeout / 2);

    TimedConnection first = server.Connect();
    TimedConnection second = server.Connect();
    for (TimedConnection* peer : {&first, &second}) {
        peer->Send(AliveRequest(9));
        EXPECT_EQ(peer->Receive(cmds::eCommandAliveOut).error, example::kNotConnected);
    }
    TimedConnection third = server.Connect();
    EXPECT_TRUE(third.ServerCloses());

    // The server has closed the first connection once its peer sees the end: room for another.
    first.FinishSending();
    EXPECT_TRUE(first.ServerCloses());
    TimedConnection fourth = server.Connect();
    fourth.Send(AliveRequest(9));
    EXPECT_EQ(fourth.Receive(cmds::eCommandAliveOut).error, example::kNotConnected);
}

}  // namespace
