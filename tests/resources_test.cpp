// Pathological inputs: a quoted string of 100 MB, a command of a million tags, a list of a
// million records and a number of a million digits, each read at a quarter and at its full size.
// Counters, not clocks, carry the verdict: from a global operator new replaced in this program
// alone, the most memory held at once and all the bytes allocated while reading. Both must stay
// within a small multiple of the input and grow in step with it; the time is only printed.
#include <gtest/gtest.h>

#include <algorithm>
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

struct Counters {
    std::atomic<std::size_t> live{0};
    std::atomic<std::size_t> peak{0};
    std::atomic<std::size_t> allocated{0};
};
Counters counters;

// Each block carries its size in front, so that delete knows how much is released.
constexpr std::size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *static_cast<std::size_t*>(block) = size;
    counters.allocated += size;
    const std::size_t live = counters.live += size;
    std::size_t peak = counters.peak;
    while (live > peak && !counters.peak.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void operator delete(void* data) noexcept {
    if (data != nullptr) {
        char* block = static_cast<char*>(data) - kHeader;
        counters.live -= *reinterpret_cast<std::size_t*>(block);
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

// Sinks that keep sizes and counts only, so that they add nothing that grows with the input.
struct Credentials : cmds::IConnectIn {
    void OnUser(std::uint64_t, const std::string& pwd) override { pwdSize = pwd.size(); }
    void OnConnectInHost(unsigned short, const std::string&, const cmds::wstring&) override {}
    void OnConnectInFlags(bool, bool, bool) override {}
    std::size_t pwdSize = 0;
};
struct Files : cmds::IShareIn {
    void OnUser(std::uint64_t, const std::string&) override {}
    void OnFile(cmds::FILE_TYPE_ENUM, cmds::CFileInfo&) override { ++files; }
    std::size_t files = 0;
};
struct Code : cmds::IAliveOut {
    void OnError(tagERROR_CODE error) override { code = error; }
    int code = -1;
};

struct Use {
    double input;  // bytes
    double peak;   // this and the next per input byte
    double allocated;
};

// Reads `text` with `parse`, which checks what its sink received; returns the counters.
Use Measure(const std::string& text, const std::function<void(cmds::CParser&)>& parse) {
    const std::size_t before = counters.live;
    counters.peak = before;
    const std::size_t allocatedBefore = counters.allocated;
    const auto start = std::chrono::steady_clock::now();
    {
        cmds::CStrLexerStream source(text);
        cmds::CParser parser(source);
        parse(parser);
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double size = static_cast<double>(text.size());
    const Use use{size, (counters.peak - before) / size,
                  (counters.allocated - allocatedBefore) / size};
    // The time is for the reader, not the verdict: per byte it should not grow with the size.
    std::printf("%10zu bytes: held %.2f, allocated %.2f per byte; %.1f ns per byte\n", text.size(),
                use.peak, use.allocated, seconds.count() * 1e9 / size);
    return use;
}

// Each counter per input byte stays under its bound at both sizes, and the full size costs
// per byte what a quarter does, give or take a little fixed overhead.
void ExpectLinear(const std::function<std::string(std::size_t)>& text, std::size_t full,
                  const std::function<void(cmds::CParser&)>& parse, double peakBound,
                  double allocatedBound) {
    const Use quarter = Measure(text(full / 4), parse);
    const Use whole = Measure(text(full), parse);
    for (const Use& use : {quarter, whole}) {
        EXPECT_LE(use.peak, peakBound) << use.input;
        EXPECT_LE(use.allocated, allocatedBound) << use.input;
    }
    EXPECT_LE(whole.peak, quarter.peak * 1.05);
    EXPECT_LE(whole.allocated, quarter.allocated * 1.05);
}

std::string Repeat(const std::string& piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

TEST(Resources, QuotedStringOf100MB) {
    std::size_t size = 0;
    ExpectLinear(
        [&size](std::size_t bytes) {
            size = bytes;
            return "CONNECT INPUT user:1,pwd:\"" + std::string(bytes, 'p') +
                   "\",host:'h',address:a,port:1;";
        },
        100 << 20,
        [&size](cmds::CParser& parser) {
            Credentials sink;
            parser.Parse(sink);
            EXPECT_EQ(sink.pwdSize, size);
        },
        6, 10);
}

TEST(Resources, CommandOfAMillionTags) {
    ExpectLinear(
        [](std::size_t tags) {
            return "CONNECT INPUT " + Repeat("user:1,", tags) + "pwd:x,host:'h',address:a,port:1;";
        },
        1000000,
        [](cmds::CParser& parser) {
            Credentials sink;
            EXPECT_THROW(parser.Parse(sink), cmds::CSemanticError);
        },
        1.5, 1.5);
}

TEST(Resources, ListOfAMillionRecords) {
    std::size_t records = 0;
    ExpectLinear(
        [&records](std::size_t count) {
            records = count;
            return "SHARE INPUT user:1,pwd:x{(" + Repeat("-[folder:1,id:2]", count) + ")};";
        },
        1000000,
        [&records](cmds::CParser& parser) {
            Files sink;
            parser.Parse(sink);
            EXPECT_EQ(sink.files, records);
        },
        1.5, 24);
}

TEST(Resources, NumberOfAMillionDigits) {
    ExpectLinear(
        [](std::size_t digits) {
            return "ALIVE OUTPUT error:" + std::string(digits - 2, '0') + "42;";
        },
        1000000,
        [](cmds::CParser& parser) {
            Code sink;
            parser.Parse(sink);
            EXPECT_EQ(sink.code, 42);
        },
        1.5, 1.5);
}

}  // namespace
