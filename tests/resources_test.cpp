// Pathological inputs: a quoted string of 100 MB, a command of a million tags, a list of a
// million records and a number of a million digits, each read at a quarter and at its full size.
// Counters, not clocks, carry the verdict: from a global operator new replaced in this program
// alone, the most memory held at once and all the bytes allocated while reading. Both must stay
// within a small multiple of the input and grow in step with it; the time is only printed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>

#include "cmds/cmds.h"

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
std::atomic<std::size_t> allocatedBytes{0};

// Each block carries its size in front, so that delete knows how much is released.
constexpr std::size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *static_cast<std::size_t*>(block) = size;
    allocatedBytes += size;
    const std::size_t live = liveBytes += size;
    std::size_t peak = peakBytes;
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void operator delete(void* data) noexcept {
    if (data != nullptr) {
        char* block = static_cast<char*>(data) - kHeader;
        liveBytes -= *reinterpret_cast<std::size_t*>(block);
        std::free(block);
    }
}

void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete[](void* data) noexcept {
    operator delete(data);
}
void operator delete(void* data, std::size_t) noexcept {
    operator delete(data);
}
void operator delete[](void* data, std::size_t) noexcept {
    operator delete(data);
}

namespace {

// Keeps a size or a count only, so that it adds nothing that grows with the input.
struct Tally : cmds::IConnectIn, cmds::IShareIn, cmds::IAliveOut {
    void OnUser(std::uint64_t, const std::string& pwd) override { pwdSize = pwd.size(); }
    void OnConnectInHost(unsigned short, const std::string&, const cmds::wstring&) override {}
    void OnConnectInFlags(bool, bool, bool) override {}
    void OnFile(cmds::FILE_TYPE_ENUM, cmds::CFileInfo&) override { ++files; }
    void OnError(tagERROR_CODE error) override { code = error; }
    std::size_t pwdSize = 0, files = 0;
    int code = -1;
};

// A text of `head`, then `piece` a number of times, then `tail`, read by `readAndCheck`.
struct Load {
    const char* head;
    std::string piece;
    const char* tail;
    std::size_t fullCount;
    std::function<void(cmds::CParser&, Tally&, std::size_t count)> readAndCheck;
    double peakPerByte, allocatedPerByte;  // bounds
};

// Each counter per input byte stays under its bound at both sizes, and the full size costs
// per byte what a quarter does, give or take a little fixed overhead.
TEST(Resources, HeldAndAllocatedMemoryGrowInStepWithTheInput) {
    const Load loads[] = {
        {"CONNECT INPUT user:1,pwd:\"", "p", "\",host:'h',address:a,port:1;", 100 << 20,
         [](cmds::CParser& parser, Tally& sink, std::size_t bytes) {
             parser.Parse(static_cast<cmds::IConnectIn&>(sink));
             EXPECT_EQ(sink.pwdSize, bytes);
         },
         6, 10},
        {"CONNECT INPUT ", "user:1,", "pwd:x,host:'h',address:a,port:1;", 1000000,
         [](cmds::CParser& parser, Tally& sink, std::size_t) {
             EXPECT_THROW(parser.Parse(static_cast<cmds::IConnectIn&>(sink)), cmds::CSemanticError);
         },
         1.5, 1.5},
        {"SHARE INPUT user:1,pwd:x{(", "-[folder:1,id:2]", ")};", 1000000,
         [](cmds::CParser& parser, Tally& sink, std::size_t records) {
             parser.Parse(static_cast<cmds::IShareIn&>(sink));
             EXPECT_EQ(sink.files, records);
         },
         1.5, 24},
        {"ALIVE OUTPUT error:", "0", "42;", 1000000,
         [](cmds::CParser& parser, Tally& sink, std::size_t) {
             parser.Parse(static_cast<cmds::IAliveOut&>(sink));
             EXPECT_EQ(sink.code, 42);
         },
         1.5, 1.5},
    };
    for (const Load& load : loads) {
        SCOPED_TRACE(load.head);
        double peak[2], allocated[2];
        for (int whole = 0; whole < 2; ++whole) {
            const std::size_t count = whole ? load.fullCount : load.fullCount / 4;
            std::string text = load.head;
            text.reserve(text.size() + load.piece.size() * count + 40);
            for (std::size_t i = 0; i < count; ++i) {
                text += load.piece;
            }
            text += load.tail;
            const std::size_t liveBefore = liveBytes, allocatedBefore = allocatedBytes;
            peakBytes = liveBefore;
            const auto start = std::chrono::steady_clock::now();
            {
                cmds::CStrLexerStream source(text);
                cmds::CParser parser(source);
                Tally sink;
                load.readAndCheck(parser, sink, count);
            }
            const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            const auto size = static_cast<double>(text.size());
            peak[whole] = (peakBytes - liveBefore) / size;
            allocated[whole] = (allocatedBytes - allocatedBefore) / size;
            std::printf("%10zu bytes: held %.2f, allocated %.2f per byte; %.1f ns per byte\n",
                        text.size(), peak[whole], allocated[whole], seconds.count() * 1e9 / size);
            EXPECT_LE(peak[whole], load.peakPerByte) << text.size();
            EXPECT_LE(allocated[whole], load.allocatedPerByte) << text.size();
        }
        EXPECT_LE(peak[1], peak[0] * 1.05);
        EXPECT_LE(allocated[1], allocated[0] * 1.05);
    }
}

}  // namespace
