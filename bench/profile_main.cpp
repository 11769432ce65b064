// Reads workload (a) or (c) from a string source, or writes workload (a) or (b), a number of
// times, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='bench::ReadWorkload*' cmds_bench_profile find 3
//   valgrind --tool=callgrind --toggle-collect='bench::WriteWorkload*' ... write-find 3
// The json-write-find and json-write-share modes write the same content with RapidJSON's Writer,
// collected with --toggle-collect='bench::WriteJsonWorkload*'. For comparison, json-find reads
// (a) as JSON with the rapidjson_sax row's reader and hand-find with the hand-written parser,
// collected with --toggle-collect='bench::ReadOtherWorkload*'.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "hand_parser.h"
#include "json_readers.h"
#include "sinks.h"
#include "workloads.h"

namespace bench {

// Everything that reading costs, from the construction of the source on, happens in here. Each
// workload is read from the source of the row that its target is set on: (a) from a string
// source, (c) from a view of the text.
[[gnu::noinline]] std::uint64_t ReadWorkload(const std::string& text,
                                             const std::vector<SmallCommand>* commands) {
    if (commands == nullptr) {
        cmds::CStrLexerStream source(text);
        cmds::CParser parser(source);
        FindSink sink;
        parser.Parse(sink);
        return sink.value;
    }
    cmds::CStrViewLexerStream source(text);
    cmds::CParser parser(source);
    SmallSink sink;
    ParseSmall(parser, *commands, sink);
    return sink.value;
}

[[gnu::noinline]] std::uint64_t ReadOtherWorkload(const FindRead& read) {
    FindSink sink;
    return read(sink) ? sink.value : 0;
}

// One iteration of the writing rows: the generator and the JSON buffer are kept between calls,
// as the benchmark keeps them between iterations.
[[gnu::noinline]] std::uint64_t WriteWorkload(cmds::CStrStmGenerator& out, const FindReply* reply,
                                              const ShareRequest* request, std::string& scratch) {
    out.Reset();
    if (reply != nullptr) {
        Write(out, *reply, scratch);
    } else {
        Write(out, *request);
    }
    return out.GetSize();
}

[[gnu::noinline]] std::uint64_t WriteJsonWorkload(rapidjson::StringBuffer& buffer,
                                                  const FindReply* reply,
                                                  const ShareRequest* request) {
    if (reply != nullptr) {
        WriteJson(buffer, *reply, JsonWriting::kConvertFirst);
    } else {
        WriteJson(buffer, *request, JsonWriting::kConvertFirst);
    }
    return buffer.GetSize();
}

}  // namespace bench

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool write = mode == "write-find" || mode == "write-share";
    const bool jsonWrite = mode == "json-write-find" || mode == "json-write-share";
    const bool other = mode == "json-find" || mode == "hand-find";
    if (mode != "find" && mode != "small" && !write && !jsonWrite && !other) {
        std::fprintf(stderr,
                     "usage: %s find|small|write-find|write-share|json-write-find|"
                     "json-write-share|json-find|hand-find [repetitions]\n",
                     argv[0]);
        return 2;
    }
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 1;
    std::uint64_t sum = 0;
    std::size_t bytes = 0;
    if (write || jsonWrite) {
        const bool find = mode == "write-find" || mode == "json-write-find";
        const bench::FindReply* reply = find ? &bench::FindWorkload() : nullptr;
        const bench::ShareRequest* request = find ? nullptr : &bench::ShareWorkload();
        cmds::CStrStmGenerator out;
        rapidjson::StringBuffer buffer;
        std::string scratch;
        // One write outside the collected functions first, so that the collected ones find their
        // buffers grown, as the benchmark's iterations do.
        if (find) {
            bench::Write(out, *reply, scratch);
            bench::WriteJson(buffer, *reply, bench::JsonWriting::kConvertFirst);
        } else {
            bench::Write(out, *request);
            bench::WriteJson(buffer, *request, bench::JsonWriting::kConvertFirst);
        }
        for (int i = 0; i < repetitions; ++i) {
            bytes = write ? bench::WriteWorkload(out, reply, request, scratch)
                          : bench::WriteJsonWorkload(buffer, reply, request);
            sum += bytes;
        }
    } else if (other) {
        const std::string text = mode == "json-find" ? bench::JsonText(bench::FindWorkload())
                                                     : bench::CommandText(bench::FindWorkload());
        const bench::FindRead read =
            mode == "json-find" ? bench::RapidJsonFind(text, bench::RapidJsonVariant::kUtf8InPlace)
                                : bench::FindRead([&text](cmds::IFindOut& sink) {
                                      return bench::HandReadFindOutput(text, sink);
                                  });
        for (int i = 0; i < repetitions; ++i) {
            sum += bench::ReadOtherWorkload(read);
        }
        bytes = text.size();
    } else {
        const bool find = mode == "find";
        const std::string text = find ? bench::CommandText(bench::FindWorkload())
                                      : bench::CommandText(bench::SmallWorkload());
        for (int i = 0; i < repetitions; ++i) {
            sum += bench::ReadWorkload(text, find ? nullptr : &bench::SmallWorkload());
        }
        bytes = text.size();
    }
    std::printf("%s: %zu bytes, checksum %llu\n", mode.c_str(), bytes,
                static_cast<unsigned long long>(sum));
    return 0;
}
