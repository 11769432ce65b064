// What every benchmark row shares: the workloads' texts, built once outside the timed loops, the
// sinks of each workload and the loop that checks a row's records before timing it.
#ifndef CMDS_BENCH_ROWS_H
#define CMDS_BENCH_ROWS_H

#include <benchmark/benchmark.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "sinks.h"
#include "workloads.h"

namespace bench {

template <typename Workload>
struct Traits;

template <>
struct Traits<FindReply> {
    using Sink = FindSink;
    using CheckingSink = CheckingFindSink;
};

template <>
struct Traits<ShareRequest> {
    using Sink = ShareSink;
    using CheckingSink = CheckingShareSink;
};

template <>
struct Traits<std::vector<SmallCommand>> {
    using Sink = SmallSink;
    using CheckingSink = CheckingSmallSink;
};

inline std::size_t Records(const FindReply& reply) {
    return reply.Records();
}
inline std::size_t Records(const ShareRequest& request) {
    return request.Records();
}
inline std::size_t Records(const std::vector<SmallCommand>& commands) {
    return commands.size();
}

// A file in the temporary directory holding `content`, removed when this object goes.
class TemporaryFile {
public:
    TemporaryFile(const std::string& stem, const std::string& content);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A workload with its command text, also as a file, and its JSON text.
template <typename Workload>
struct Texts {
    const Workload& workload;
    std::string command;
    std::string json;
    TemporaryFile file;
    Texts(const Workload& w, const std::string& name)
        : workload(w), command(CommandText(w)), json(JsonText(w)), file(name, command) {}
};

const Texts<FindReply>& FindTexts();
const Texts<ShareRequest>& ShareTexts();
const Texts<ShareRequest>& SmallShareTexts();
const Texts<std::vector<SmallCommand>>& SmallTexts();

inline void SetRates(benchmark::State& state, std::size_t records, std::size_t bytes) {
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(records),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// Times `read`, a callable that reads the workload once into the sink it is given and returns
// whether the text was accepted. It is timed only after a read into a checking sink has
// delivered what the workload's records give (Replay). `bytes` is the size of the text it reads.
template <typename Workload, typename Read>
void Run(benchmark::State& state, const Workload& workload, std::size_t bytes, Read read) {
    typename Traits<Workload>::CheckingSink expected;
    Replay(workload, expected);
    typename Traits<Workload>::CheckingSink delivered;
    if (!read(delivered)) {
        state.SkipWithError("the text was rejected");
        return;
    }
    if (delivered.value != expected.value) {
        state.SkipWithError("the records delivered differ from the workload's");
        return;
    }
    typename Traits<Workload>::Sink sink;
    for (auto _ : state) {
        if (!read(sink)) {
            state.SkipWithError("the text was rejected");
            break;
        }
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, Records(workload), bytes);
}

}  // namespace bench

#endif
