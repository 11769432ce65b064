// The feed stream: a reader blocks until another thread inserts bytes, ends at an empty
// insertion, gives up after its wait and is cancelled by an abort.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cmds/cmds.h"
#include "sinks.h"

namespace {

using cmds::CCancelError;
using cmds::CDeadlockError;
using namespace std::chrono_literals;
using namespace testing_support;

// A feed stream whose reader gives up after `waitMilliseconds` instead of two minutes. Being a
// subclass, it is read one byte at a time through the virtual operations.
class TestFeed : public cmds::CMtLexerStream {
public:
    explicit TestFeed(std::uint32_t waitMilliseconds = 100) : CMtLexerStream(waitMilliseconds) {}
};

constexpr int kFeeders = 4;

// Long enough that a reader on a slow, instrumented build never times out by accident.
constexpr std::uint32_t kPatientWait = 20000;

// A reader of one byte on its own thread, given time to reach its wait; the outcome checked is
// the same if it has not.
std::future<int> BlockedReader(cmds::CMtLexerStream& feed) {
    auto reader = std::async(std::launch::async, [&feed] { return feed.GetNextChar(); });
    std::this_thread::sleep_for(50ms);
    return reader;
}

TEST(FeedStream, ReadsInsertedBytesInOrderPutsBackAndKeepsThem) {
    TestFeed feed;
    EXPECT_FALSE(feed.IsEof());
    Insert(feed, std::string("A\0\xFF", 3));
    Insert(feed, "B");
    EXPECT_EQ(feed.GetNextChar(), 'A');
    EXPECT_EQ(feed.GetNextChar(), 0);
    EXPECT_EQ(feed.GetNextChar(), 0xFF);
    feed.PutBackChar(0xFF);
    EXPECT_EQ(feed.GetNextChar(), 0xFF);
    EXPECT_EQ(feed.GetPos(), 3);
    std::string data = "old";
    feed.GetData(data);
    EXPECT_EQ(data, std::string("A\0\xFF"
                                "B",
                                4));
    EXPECT_EQ(feed.GetNextChar(), 'B');
    EXPECT_THROW(feed.GetNextChar(), CDeadlockError);
    // The stream stays usable after a time-out.
    Insert(feed, "C");
    EXPECT_EQ(feed.GetNextChar(), 'C');
    EXPECT_FALSE(feed.IsEof());
}

TEST(FeedStream, InsertionWakesBlockedReader) {
    TestFeed feed(kPatientWait);
    const auto start = std::chrono::steady_clock::now();
    auto reader = BlockedReader(feed);
    Insert(feed, "x");
    EXPECT_EQ(reader.get(), 'x');
    // A reader that was not woken would see the byte only at the end of its wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kPatientWait));
}

TEST(FeedStream, AbortWithPendingBytesCancelsAndReadsNothing) {
    TestFeed feed;
    Insert(feed, "AB");
    EXPECT_EQ(feed.GetNextChar(), 'A');
    feed.Abort();
    EXPECT_TRUE(feed.IsEof());
    EXPECT_THROW(feed.GetNextChar(), CCancelError);
    EXPECT_THROW(feed.PutBackChar('A'), CCancelError);
    EXPECT_EQ(feed.GetPos(), 1);
    Insert(feed, "C");
    std::string data;
    feed.GetData(data);
    EXPECT_EQ(data, "ABC");
    EXPECT_FALSE(feed.Bad());
}

// Abort does not wake a waiting reader: the next insertion cancels it; without one it times out.
TEST(FeedStream, AbortWhileBlocked) {
    TestFeed patient(kPatientWait);
    auto cancelled = BlockedReader(patient);
    patient.Abort();
    Insert(patient, "x");
    EXPECT_THROW(cancelled.get(), CCancelError);

    TestFeed feed;
    auto timedOut = BlockedReader(feed);
    feed.Abort();
    EXPECT_THROW(timedOut.get(), CDeadlockError);
}

TEST(FeedStream, EmptyInsertionExhaustsTheStream) {
    TestFeed feed(kPatientWait);
    auto reader = BlockedReader(feed);
    Insert(feed, "");
    EXPECT_EQ(reader.get(), -1);
    EXPECT_TRUE(feed.IsEof());
    // The event stays set, so these return at once instead of waiting 20 seconds.
    EXPECT_EQ(feed.GetNextChar(), -1);
    Insert(feed, "late");
    EXPECT_EQ(feed.GetNextChar(), -1);
}

// The first `count` tokens of `source`, with the values of strings and numbers spelled out.
std::vector<std::string> Tokens(cmds::CLexerStreamBase& source, std::size_t count) {
    cmds::CLexer lexer(source);
    std::vector<std::string> tokens;
    for (tokens::TOKEN token;
         tokens.size() < count && (token = lexer.GetNextToken()) != tokens::END_OF_INPUT;) {
        std::string narrow;
        std::uint64_t number = 0;
        tokens.push_back(std::to_string(token) + (lexer.GetString(narrow) ? "=" + narrow
                                                  : lexer.GetNumber(number)
                                                      ? "=" + std::to_string(number)
                                                      : ""));
    }
    return tokens;
}

// What a lexer reads of `text` inserted in chunks of random sizes up to `maxChunk` by a thread.
std::vector<std::string> FedTokens(cmds::CMtLexerStream& feed, const std::string& text,
                                   std::size_t maxChunk, std::size_t count) {
    std::thread feeder([&] {
        std::minstd_rand random(static_cast<unsigned>(maxChunk));
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t chunk = std::min(1 + random() % maxChunk, text.size() - at);
            Insert(feed, std::string_view(text).substr(at, chunk));
            at += chunk;
        }
    });
    std::vector<std::string> tokens = Tokens(feed, count);
    feeder.join();
    return tokens;
}

// The exact class is read in runs under the lock, a subclass byte by byte; chunks of one byte end
// runs inside tokens, and a third thread asks for positions and data meanwhile.
TEST(FeedStream, ChunkedFeedReadsLikeAString) {
    // Ends with ";" so that the reader needs no byte after the last token.
    const std::string text =
        "FIND OUTPUT \r\n\terror:0\r\n\t{\r\n\t\t(id:7,host:'h\xC3\xA9',address:\"1.2.3.4:5;\","
        "port:007\r\n\t\t\t[folder:1,id:2,file:'longer file name',size:18446744073709551615])"
        "\r\n\t}FRIENDS friend -5 12ab;";
    cmds::CStrLexerStream whole(text);
    const std::vector<std::string> expected = Tokens(whole, SIZE_MAX);
    for (const std::size_t maxChunk : {1, 3, 64}) {
        cmds::CMtLexerStream feed;
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            std::string data;
            while (!done) {
                const int position = feed.GetPos();
                EXPECT_TRUE(position >= 0 && position <= static_cast<int>(text.size()));
                feed.GetData(data);
                EXPECT_EQ(data, text.substr(0, data.size()));
            }
        });
        EXPECT_EQ(FedTokens(feed, text, maxChunk, expected.size()), expected) << maxChunk;
        done = true;
        watcher.join();
        EXPECT_EQ(feed.GetPos(), static_cast<int>(text.size()));
        EXPECT_FALSE(feed.IsEof());
        TestFeed slow(kPatientWait);
        EXPECT_EQ(FedTokens(slow, text, maxChunk, expected.size()), expected) << maxChunk;
    }
}

TEST(FeedStream, ExactClassKeepsTheEndAndTheAbort) {
    cmds::CMtLexerStream ended;
    cmds::CLexer endedLexer(ended);
    Insert(ended, "A;");
    EXPECT_EQ(endedLexer.GetNextToken(), tokens::STRING);
    EXPECT_EQ(endedLexer.GetNextToken(), tokens::SEMICOLON);
    Insert(ended, "");
    EXPECT_EQ(endedLexer.GetNextToken(), tokens::END_OF_INPUT);
    EXPECT_TRUE(ended.IsEof());
    Insert(ended, "late;");
    EXPECT_EQ(endedLexer.GetNextToken(), tokens::END_OF_INPUT);

    cmds::CMtLexerStream aborted;
    cmds::CLexer abortedLexer(aborted);
    Insert(aborted, "word more");
    EXPECT_EQ(abortedLexer.GetNextToken(), tokens::STRING);
    EXPECT_EQ(aborted.GetPos(), 4);
    aborted.Abort();
    EXPECT_THROW(abortedLexer.GetNextToken(), CCancelError);
    EXPECT_EQ(aborted.GetPos(), 4);
}

TEST(FeedStress, ReaderGetsEveryByteOfConcurrentFeeders) {
    constexpr int kBytesPerFeeder = 3000;
    TestFeed feed(kPatientWait);
    std::vector<std::thread> feeders;
    for (int f = 0; f < kFeeders; ++f) {
        feeders.emplace_back([&feed, f] {
            std::minstd_rand random(static_cast<unsigned>(f) + 1);
            for (int sent = 0; sent < kBytesPerFeeder;) {
                const int chunk =
                    std::min(1 + static_cast<int>(random() % 7), kBytesPerFeeder - sent);
                Insert(feed,
                       std::string(static_cast<std::size_t>(chunk), static_cast<char>('a' + f)));
                sent += chunk;
            }
        });
    }
    std::array<int, 256> counts{};
    for (int i = 0; i < kFeeders * kBytesPerFeeder; ++i) {
        ++counts[static_cast<std::size_t>(feed.GetNextChar())];
    }
    for (std::thread& feeder : feeders) {
        feeder.join();
    }
    for (int f = 0; f < kFeeders; ++f) {
        EXPECT_EQ(counts['a' + f], kBytesPerFeeder) << "feeder " << f;
    }
}

constexpr int kCommandsPerFeeder = 150;

// A SHARE reply whose result code names its feeder and place; the number of per-file results
// varies its length.
std::string Command(int feeder, int place) {
    std::string text = "SHARE OUTPUT error:" + std::to_string(feeder * 1000 + place) + "{";
    for (int i = 0; i < place % 4; ++i) {
        text += "[error:0,folder:" + std::to_string(feeder) + ",id:" + std::to_string(i) + "]";
    }
    return text + "};";
}

// Every command inserted is in `data` whole, each feeder's in the order it inserted them.
void ExpectEveryCommandWhole(const std::string& data) {
    int next[kFeeders] = {};
    std::size_t start = 0;
    for (std::size_t end = data.find(';'); end != std::string::npos; end = data.find(';', start)) {
        const std::string command = data.substr(start, end + 1 - start);
        start = end + 1;
        int feeder = 0;
        while (feeder < kFeeders && command != Command(feeder, next[feeder])) {
            ++feeder;
        }
        ASSERT_LT(feeder, kFeeders) << command;
        ++next[feeder];
    }
    EXPECT_EQ(start, data.size());
    for (int feeder = 0; feeder < kFeeders; ++feeder) {
        EXPECT_EQ(next[feeder], kCommandsPerFeeder) << "feeder " << feeder;
    }
}

// Four threads insert whole commands, one insertion per command, while one thread parses them
// and another aborts the stream at a random moment.
TEST(FeedStress, ParserSeesTheInsertedCommandsInOrderUntilTheAbort) {
    for (unsigned round = 0; round < 16; ++round) {
        SCOPED_TRACE(round);
        std::minstd_rand random(round + 1);
        cmds::CMtLexerStream feed;
        Calls parsed;
        std::thread parser([&] { parsed = ParseFrom<ShareOut>(feed, INT_MAX); });
        std::vector<std::thread> feeders;
        for (int feeder = 0; feeder < kFeeders; ++feeder) {
            feeders.emplace_back([&feed, feeder] {
                for (int place = 0; place < kCommandsPerFeeder; ++place) {
                    Insert(feed, Command(feeder, place));
                    std::this_thread::yield();
                }
            });
        }
        // Abort does not wake a waiting reader; the empty insertion after it does.
        std::thread aborter([&feed, delay = std::chrono::microseconds(random() % 30000)] {
            std::this_thread::sleep_for(delay);
            feed.Abort();
            Insert(feed, {});
        });
        for (std::thread& feeder : feeders) {
            feeder.join();
        }
        aborter.join();
        parser.join();

        std::string data;
        feed.GetData(data);
        ExpectEveryCommandWhole(data);
        cmds::CStrLexerStream whole(data);
        const Calls all = ParseFrom<ShareOut>(whole, kFeeders * kCommandsPerFeeder);
        ASSERT_FALSE(parsed.empty());
        EXPECT_EQ(Brief(parsed).back(), "throws CCancelError");
        ASSERT_LE(parsed.size() - 1, all.size());
        EXPECT_TRUE(std::equal(parsed.begin(), parsed.end() - 1, all.begin()));
    }
}

}  // namespace
