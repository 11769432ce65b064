// Reads workload (a) or (c) from a string source a number of times, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='bench::ReadWorkload*' cmds_bench_profile find 3
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sinks.h"
#include "workloads.h"

namespace bench {

// Everything that reading costs, from the construction of the source on, happens in here.
[[gnu::noinline]] std::uint64_t ReadWorkload(const std::string& text,
                                             const std::vector<SmallCommand>* commands) {
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    if (commands == nullptr) {
        FindSink sink;
        parser.Parse(sink);
        return sink.value;
    }
    SmallSink sink;
    for (const SmallCommand& command : *commands) {
        switch (command.kind) {
            case SmallKind::kConnectIn:
                parser.Parse(static_cast<cmds::IConnectIn&>(sink));
                break;
            case SmallKind::kAliveIn:
                parser.Parse(static_cast<cmds::IAliveIn&>(sink));
                break;
            case SmallKind::kAliveOut:
                parser.Parse(static_cast<cmds::IAliveOut&>(sink));
                break;
            case SmallKind::kShareDirOut:
                parser.Parse(static_cast<cmds::IShareDirOut&>(sink));
                break;
        }
    }
    return sink.value;
}

}  // namespace bench

int main(int argc, char** argv) {
    if (argc < 2 || (std::strcmp(argv[1], "find") != 0 && std::strcmp(argv[1], "small") != 0)) {
        std::fprintf(stderr, "usage: %s find|small [repetitions]\n", argv[0]);
        return 2;
    }
    const bool find = std::strcmp(argv[1], "find") == 0;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 1;
    const std::string text = find ? bench::CommandText(bench::FindWorkload())
                                  : bench::CommandText(bench::SmallWorkload());
    std::uint64_t sum = 0;
    for (int i = 0; i < repetitions; ++i) {
        sum += bench::ReadWorkload(text, find ? nullptr : &bench::SmallWorkload());
    }
    std::printf("%s: %zu bytes, checksum %llu\n", argv[1], text.size(),
                static_cast<unsigned long long>(sum));
    return 0;
}
