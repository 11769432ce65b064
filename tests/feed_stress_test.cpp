// The feed stream under load: four threads insert whole commands, one insertion per command,
// while one thread parses them and another aborts the stream at a random moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cmds/cmds.h"
#include "sinks.h"

namespace {

using namespace testing_support;

constexpr int kFeeders = 4;
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
        int code = -1;
        ASSERT_EQ(std::sscanf(command.c_str(), "SHARE OUTPUT error:%d", &code), 1) << command;
        const int feeder = code / 1000;
        ASSERT_TRUE(feeder >= 0 && feeder < kFeeders) << command;
        EXPECT_EQ(command, Command(feeder, next[feeder]++));
    }
    EXPECT_EQ(start, data.size());
    for (int feeder = 0; feeder < kFeeders; ++feeder) {
        EXPECT_EQ(next[feeder], kCommandsPerFeeder) << "feeder " << feeder;
    }
}

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
        EXPECT_EQ(parsed.back(), "throws CCancelError");
        ASSERT_LE(parsed.size() - 1, all.size());
        EXPECT_TRUE(std::equal(parsed.begin(), parsed.end() - 1, all.begin()));
    }
}

}  // namespace
