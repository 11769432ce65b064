#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cmds/cmds.h"

namespace {

using cmds::CCancelError;
using cmds::CDeadlockError;
using namespace std::chrono_literals;

// A feed stream whose reader gives up after `waitMilliseconds` instead of two minutes.
class TestFeed : public cmds::CMtLexerStream {
public:
    explicit TestFeed(std::uint32_t waitMilliseconds = 100) : CMtLexerStream(waitMilliseconds) {}

    void Insert(const std::string& bytes) {
        InsertToStream(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
};

// Long enough that a reader on a slow, instrumented build never times out by accident.
constexpr std::uint32_t kPatientWait = 20000;

// Gives a reader thread time to reach its wait; the outcome checked is the same if it has not.
void LetReaderBlock() {
    std::this_thread::sleep_for(50ms);
}

TEST(FeedStream, DefaultWaitIsTwoMinutes) {
    struct DefaultFeed : cmds::CMtLexerStream {
        using CMtLexerStream::WaitMilliseconds;
    };
    EXPECT_EQ(DefaultFeed().WaitMilliseconds(), 120000u);
}

TEST(FeedStream, ReadsInsertedBytesInOrderAndKeepsThem) {
    TestFeed feed;
    EXPECT_FALSE(feed.IsEof());
    feed.Insert(std::string("A\0\xFF", 3));
    feed.Insert("B");
    EXPECT_EQ(feed.GetNextChar(), 'A');
    EXPECT_EQ(feed.GetNextChar(), 0);
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
    feed.Insert("C");
    EXPECT_EQ(feed.GetNextChar(), 'C');
    EXPECT_FALSE(feed.IsEof());
}

TEST(FeedStream, InsertionWakesBlockedReader) {
    TestFeed feed(kPatientWait);
    const auto start = std::chrono::steady_clock::now();
    auto reader = std::async(std::launch::async, [&] { return feed.GetNextChar(); });
    LetReaderBlock();
    feed.Insert("x");
    EXPECT_EQ(reader.get(), 'x');
    // A reader that was not woken would see the byte only at the end of its wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kPatientWait));
}

TEST(FeedStream, PutBackMakesTheByteReadableAgain) {
    TestFeed feed;
    feed.Insert("AB");
    EXPECT_EQ(feed.GetNextChar(), 'A');
    EXPECT_EQ(feed.GetNextChar(), 'B');
    feed.PutBackChar('B');
    EXPECT_EQ(feed.GetNextChar(), 'B');
    EXPECT_THROW(feed.GetNextChar(), CDeadlockError);
}

TEST(FeedStream, AbortWithPendingByteCancelsAndReadsNothing) {
    TestFeed feed;
    feed.Insert("AB");
    EXPECT_EQ(feed.GetNextChar(), 'A');
    feed.Abort();
    EXPECT_TRUE(feed.IsEof());
    EXPECT_THROW(feed.GetNextChar(), CCancelError);
    EXPECT_THROW(feed.PutBackChar('A'), CCancelError);
    EXPECT_EQ(feed.GetPos(), 1);
    feed.Insert("C");
    std::string data;
    feed.GetData(data);
    EXPECT_EQ(data, "ABC");
    EXPECT_FALSE(feed.Bad());
}

TEST(FeedStream, AbortDoesNotWakeReaderButNextInsertionCancels) {
    TestFeed feed(kPatientWait);
    auto reader = std::async(std::launch::async, [&] { return feed.GetNextChar(); });
    LetReaderBlock();
    feed.Abort();
    feed.Insert("x");
    EXPECT_THROW(reader.get(), CCancelError);
}

TEST(FeedStream, AbortWithoutInsertionEndsInTimeOut) {
    TestFeed feed;
    auto reader = std::async(std::launch::async, [&] { return feed.GetNextChar(); });
    LetReaderBlock();
    feed.Abort();
    EXPECT_THROW(reader.get(), CDeadlockError);
}

TEST(FeedStream, EmptyInsertionExhaustsTheStream) {
    TestFeed feed(kPatientWait);
    auto reader = std::async(std::launch::async, [&] { return feed.GetNextChar(); });
    LetReaderBlock();
    feed.Insert("");
    EXPECT_EQ(reader.get(), -1);
    EXPECT_TRUE(feed.IsEof());
    // The event stays set, so these return at once instead of waiting 20 seconds.
    EXPECT_EQ(feed.GetNextChar(), -1);
    feed.Insert("late");
    EXPECT_EQ(feed.GetNextChar(), -1);
    EXPECT_EQ(feed.GetNextChar(), -1);
}

TEST(FeedStream, ReaderGetsEveryByteOfConcurrentFeeders) {
    constexpr int kFeeders = 4;
    constexpr int kBytesPerFeeder = 3000;
    TestFeed feed(kPatientWait);
    std::vector<std::thread> feeders;
    for (int f = 0; f < kFeeders; ++f) {
        feeders.emplace_back([&feed, f] {
            std::minstd_rand random(static_cast<unsigned>(f) + 1);
            for (int sent = 0; sent < kBytesPerFeeder;) {
                const int chunk =
                    std::min(1 + static_cast<int>(random() % 7), kBytesPerFeeder - sent);
                feed.Insert(
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

// The tokens of a lexer over `source`, with the values of strings and numbers spelled out.
std::vector<std::string> Tokens(cmds::CLexerStreamBase& source, std::size_t count) {
    cmds::CLexer lexer(source);
    std::vector<std::string> result;
    while (result.size() < count) {
        const tokens::TOKEN token = lexer.GetNextToken();
        if (token == tokens::END_OF_INPUT) {
            break;
        }
        std::string text = std::to_string(token);
        std::string narrow;
        std::uint64_t number = 0;
        if (lexer.GetString(narrow)) {
            text += "=" + narrow;
        } else if (lexer.GetNumber(number)) {
            text += "=" + std::to_string(number);
        }
        result.push_back(text);
    }
    return result;
}

TEST(FeedStream, ChunkedFeedReadsLikeAString) {
    // Ends with ";" so that the reader needs no byte after the last token.
    const std::string text =
        "SHARE INPUT \r\n\tuser:18446744073709551615,pwd:\"a%20b\",host:'h\xC3\xA9',"
        "size:007,match:any\r\n\t\t[{file:'x',crc:12}]\tFRIENDS friend -5 12ab;";
    cmds::CStrLexerStream whole(text);
    const std::vector<std::string> expected = Tokens(whole, SIZE_MAX);

    TestFeed feed(kPatientWait);
    std::thread feeder([&] {
        std::minstd_rand random(7);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t chunk = std::min<std::size_t>(1 + random() % 5, text.size() - at);
            feed.Insert(text.substr(at, chunk));
            at += chunk;
        }
    });
    const std::vector<std::string> fed = Tokens(feed, expected.size());
    feeder.join();
    EXPECT_EQ(fed, expected);
}

void Insert(cmds::CMtLexerStream& feed, const std::string& bytes) {
    feed.InsertToStream(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// A stream of exactly this class is read in runs under the lock. Chunks of one byte end runs
// inside tokens; a third thread asks for positions and data meanwhile.
TEST(FeedStream, ExactClassReadsInRunsLikeAString) {
    const std::string text =
        "FIND OUTPUT \r\n\terror:0\r\n\t{\r\n\t\t(id:7,host:'h\xC3\xA9',address:\"1.2.3.4:5;\","
        "port:80\r\n\t\t\t[folder:1,id:2,file:'longer file name',size:18446744073709551615])"
        "\r\n\t};";
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
        std::thread feeder([&] {
            std::minstd_rand random(static_cast<unsigned>(maxChunk));
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t chunk = std::min(1 + random() % maxChunk, text.size() - at);
                Insert(feed, text.substr(at, chunk));
                at += chunk;
            }
        });
        const std::vector<std::string> fed = Tokens(feed, expected.size());
        feeder.join();
        done = true;
        watcher.join();
        EXPECT_EQ(fed, expected) << "chunks up to " << maxChunk;
        EXPECT_EQ(feed.GetPos(), static_cast<int>(text.size()));
        EXPECT_FALSE(feed.IsEof());
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

}  // namespace
