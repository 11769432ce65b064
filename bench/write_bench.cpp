// Writing rows: workloads (a) and (b), and (b)'s first 400 files, whose records stay in the
// processor's caches from one write to the next, written by CStrStmGenerator and, as JSON, by
// RapidJSON's Writer into a StringBuffer, the texts either converted to UTF-8 first or transcoded
// by the writer. Every row keeps its buffer between iterations, and is timed only once it has
// written the same bytes as the text the reading rows read.
#include "rows.h"

namespace bench {
namespace {

template <typename Workload>
void WriteCommands(cmds::CStrStmGenerator& out, const Workload& workload, std::string& scratch) {
    out.Reset();
    if constexpr (std::is_same_v<Workload, FindReply>) {
        Write(out, workload, scratch);
    } else {
        Write(out, workload);
    }
}

template <typename Workload>
void CmdsWrite(benchmark::State& state, const Texts<Workload>& texts) {
    cmds::CStrStmGenerator out;
    std::string scratch;
    WriteCommands(out, texts.workload, scratch);
    if (out.str() != texts.command) {
        state.SkipWithError("the generator wrote another text");
        return;
    }
    for (auto _ : state) {
        WriteCommands(out, texts.workload, scratch);
        benchmark::DoNotOptimize(out.GetSize());
    }
    SetRates(state, Records(texts.workload), out.GetSize());
}

template <typename Workload>
void RapidJsonWrite(benchmark::State& state, const Texts<Workload>& texts, JsonWriting how) {
    rapidjson::StringBuffer buffer;
    WriteJson(buffer, texts.workload, how);
    if (std::string(buffer.GetString(), buffer.GetSize()) != texts.json) {
        state.SkipWithError("the writer wrote another text");
        return;
    }
    for (auto _ : state) {
        WriteJson(buffer, texts.workload, how);
        benchmark::DoNotOptimize(buffer.GetSize());
    }
    SetRates(state, Records(texts.workload), buffer.GetSize());
}

template <typename Workload>
void Register(const std::string& workload, const Texts<Workload>& texts) {
    benchmark::RegisterBenchmark((workload + "/cmds_strstm").c_str(),
                                 [&texts](benchmark::State& s) { CmdsWrite(s, texts); });
    benchmark::RegisterBenchmark(
        (workload + "/rapidjson_writer").c_str(),
        [&texts](benchmark::State& s) { RapidJsonWrite(s, texts, JsonWriting::kConvertFirst); });
    benchmark::RegisterBenchmark((workload + "/rapidjson_writer_utf16").c_str(),
                                 [&texts](benchmark::State& s) {
                                     RapidJsonWrite(s, texts, JsonWriting::kWriterTranscodes);
                                 });
}

const bool kRegistered =
    (Register("e_write_find", FindTexts()), Register("e_write_share", ShareTexts()),
     Register("f_write_share_400", SmallShareTexts()), true);

}  // namespace
}  // namespace bench
