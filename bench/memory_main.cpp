// Memory of reading: heap allocations per record once a parser is warm, and the peak resident
// memory of reading a 100 MB text from a string source and through a view, relative to the
// text's size.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "sinks.h"
#include "workloads.h"

namespace {

std::size_t allocations = 0;

// Resident and peak resident memory of this process, in bytes.
std::size_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0) {
            return std::strtoull(line.c_str() + length + 1, nullptr, 10) * 1024;
        }
    }
    return 0;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The text of one command repeated `count` times back to back.
std::string Repeated(const std::string& command, std::size_t count) {
    std::string text;
    text.reserve(command.size() * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += command;
    }
    return text;
}

// Allocations made while reading the second of two copies of a command, per record.
template <typename Sink, typename Workload>
double AllocationsPerRecord(const Workload& workload, std::size_t records) {
    const std::string text = Repeated(bench::CommandText(workload), 2);
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    Sink sink;
    parser.Parse(sink);
    const std::size_t before = allocations;
    parser.Parse(sink);
    return static_cast<double>(allocations - before) / static_cast<double>(records);
}

// A SHARE INPUT of at least `bytes` bytes: the file lines of a smaller request, repeated.
std::string LargeShareText(std::size_t bytes) {
    const std::string sample = bench::CommandText(bench::MakeShareRequest(2000));
    const std::size_t bodyStart = sample.find('(') + 1;
    const std::size_t bodyEnd = sample.rfind("\r\n\t\t)");
    const std::string body = sample.substr(bodyStart, bodyEnd - bodyStart);
    std::string text;
    text.reserve(bytes + sample.size());
    text.append(sample, 0, bodyStart);
    while (text.size() < bytes) {
        text += body;
    }
    text.append(sample, bodyEnd, std::string::npos);
    return text;
}

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

// Peak resident memory of reading a 100 MB SHARE INPUT from a `Source` made over the text.
template <typename Source>
void PrintPeak(const char* name) {
    const std::size_t before = StatusBytes("VmRSS:");
    std::size_t peak = 0;
    std::size_t size = 0;
    {
        const std::string text = LargeShareText(100'000'000);
        size = text.size();
        ResetPeak();
        Source source(text);
        cmds::CParser parser(source);
        bench::ShareSink sink;
        parser.Parse(sink);
        peak = StatusBytes("VmHWM:");
    }
    std::printf("%s of %.1f MB: peak %.1f MB above the start, %.2fx the text\n", name,
                static_cast<double>(size) / 1e6, static_cast<double>(peak - before) / 1e6,
                static_cast<double>(peak - before) / static_cast<double>(size));
}

int main() {
    PrintPeak<cmds::CStrLexerStream>("string source");
    PrintPeak<cmds::CStrViewLexerStream>("view");
    const bench::FindReply& find = bench::FindWorkload();
    const bench::ShareRequest& share = bench::ShareWorkload();
    std::printf("allocations per record, warm parser: (a) %.3f, (b) %.3f\n",
                AllocationsPerRecord<bench::FindSink>(find, find.Records()),
                AllocationsPerRecord<bench::ShareSink>(share, share.Records()));
    return 0;
}
