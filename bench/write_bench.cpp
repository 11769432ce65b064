// Writing rows (e): workloads (a) and (b) written by CStrStmGenerator and, as JSON, by RapidJSON's
// Writer into a StringBuffer. Both keep their buffer between iterations.
#include <benchmark/benchmark.h>

#include "workloads.h"

namespace bench {
namespace {

void SetRates(benchmark::State& state, std::size_t records, std::size_t bytes) {
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(records),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

template <typename Workload>
void CmdsWrite(benchmark::State& state, const Workload& workload, std::size_t records) {
    cmds::CStrStmGenerator out;
    std::string scratch;
    for (auto _ : state) {
        out.Reset();
        if constexpr (std::is_same_v<Workload, FindReply>) {
            Write(out, workload, scratch);
        } else {
            Write(out, workload);
        }
        benchmark::DoNotOptimize(out.GetSize());
    }
    SetRates(state, records, out.GetSize());
}

template <typename Workload>
void RapidJsonWrite(benchmark::State& state, const Workload& workload, std::size_t records) {
    rapidjson::StringBuffer buffer;
    for (auto _ : state) {
        WriteJson(buffer, workload);
        benchmark::DoNotOptimize(buffer.GetSize());
    }
    SetRates(state, records, buffer.GetSize());
}

void Register() {
    const FindReply& find = FindWorkload();
    benchmark::RegisterBenchmark("e_write_find/cmds_strstm", [&find](benchmark::State& s) {
        CmdsWrite(s, find, find.Records());
    });
    benchmark::RegisterBenchmark("e_write_find/rapidjson_writer", [&find](benchmark::State& s) {
        RapidJsonWrite(s, find, find.Records());
    });
    const ShareRequest& share = ShareWorkload();
    benchmark::RegisterBenchmark("e_write_share/cmds_strstm", [&share](benchmark::State& s) {
        CmdsWrite(s, share, share.Records());
    });
    benchmark::RegisterBenchmark("e_write_share/rapidjson_writer", [&share](benchmark::State& s) {
        RapidJsonWrite(s, share, share.Records());
    });
}

const bool kRegistered = (Register(), true);

}  // namespace
}  // namespace bench
