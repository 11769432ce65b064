// Reading rows: the library from each kind of source, the same content as JSON read by RapidJSON,
// simdjson and nlohmann::json, and the hand-written parser of the command text; all deliver the
// same records to the same sinks. Rows are named workload/row; scripts/bench.sh sets each row
// against the fastest RapidJSON row of its workload.
#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <type_traits>

#include "hand_parser.h"
#include "json_readers.h"
#include "rows.h"

namespace bench {

TemporaryFile::TemporaryFile(const std::string& stem, const std::string& content) {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            (stem + "-" + std::to_string(random()) + std::to_string(random()) + ".txt");
    std::ofstream(path_, std::ios::binary) << content;
}

TemporaryFile::~TemporaryFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

const Texts<FindReply>& FindTexts() {
    static const Texts<FindReply> texts(FindWorkload(), "cmds-bench-find");
    return texts;
}

const Texts<ShareRequest>& ShareTexts() {
    static const Texts<ShareRequest> texts(ShareWorkload(), "cmds-bench-share");
    return texts;
}

const Texts<ShareRequest>& SmallShareTexts() {
    static const Texts<ShareRequest> texts(SmallShareWorkload(), "cmds-bench-share-400");
    return texts;
}

const Texts<std::vector<SmallCommand>>& SmallTexts() {
    static const Texts<std::vector<SmallCommand>> texts(SmallWorkload(), "cmds-bench-small");
    return texts;
}

namespace {

// ---- The library ----

void ParseAll(cmds::CParser& parser, const std::vector<SmallCommand>& commands, SmallSink& sink) {
    ParseSmall(parser, commands, sink);
}

void ParseAll(cmds::CParser& parser, const FindReply&, cmds::IFindOut& sink) {
    parser.Parse(sink);
}

void ParseAll(cmds::CParser& parser, const ShareRequest&, cmds::IShareIn& sink) {
    parser.Parse(sink);
}

// One parser over `source`; false when the library rejects the text.
template <typename Workload, typename Sink>
bool ParseFrom(cmds::CLexerStream& source, const Workload& workload, Sink& sink) {
    try {
        cmds::CParser parser(source);
        ParseAll(parser, workload, sink);
        return true;
    } catch (const cmds::CCmdError&) {
        return false;
    }
}

// The string source; its construction, which copies the text, is part of every read.
template <typename Workload>
void CmdsString(benchmark::State& state, const Texts<Workload>& texts) {
    Run(state, texts.workload, texts.command.size(), [&](auto& sink) {
        cmds::CStrLexerStream source(texts.command);
        return ParseFrom(source, texts.workload, sink);
    });
}

// The text read where it lies, through a view of it: no copy.
template <typename Workload>
void CmdsView(benchmark::State& state, const Texts<Workload>& texts) {
    Run(state, texts.workload, texts.command.size(), [&](auto& sink) {
        cmds::CStrViewLexerStream source(texts.command);
        return ParseFrom(source, texts.workload, sink);
    });
}

// A std::istringstream, built from the text (a copy) in every read.
template <typename Workload>
void CmdsIstringstream(benchmark::State& state, const Texts<Workload>& texts) {
    Run(state, texts.workload, texts.command.size(), [&](auto& sink) {
        std::istringstream stream(texts.command);
        cmds::CLexerStream source(stream);
        return ParseFrom(source, texts.workload, sink);
    });
}

// A std::ifstream over the text in a file, opened in every read.
template <typename Workload>
void CmdsIfstream(benchmark::State& state, const Texts<Workload>& texts) {
    Run(state, texts.workload, texts.command.size(), [&](auto& sink) {
        std::ifstream stream(texts.file.Path(), std::ios::binary);
        cmds::CLexerStream source(stream);
        return ParseFrom(source, texts.workload, sink);
    });
}

// The feed stream: a second thread inserts the text in 4 KiB pieces while this one parses.
// Timed by the CPU time of the whole process, both threads together: the wall clock of two threads
// that wait on each other says more about the other loads of a shared machine than about reading.
template <typename Workload>
void CmdsFeed(benchmark::State& state, const Texts<Workload>& texts) {
    const std::string& text = texts.command;
    Run(state, texts.workload, text.size(), [&](auto& sink) {
        cmds::CMtLexerStream feed;
        std::thread feeder([&] {
            constexpr std::size_t kPiece = 4096;
            for (std::size_t at = 0; at < text.size(); at += kPiece) {
                feed.InsertToStream(text.data() + at,
                                    static_cast<std::uint32_t>(std::min(kPiece, text.size() - at)));
            }
        });
        const bool accepted = ParseFrom(feed, texts.workload, sink);
        feeder.join();
        return accepted;
    });
}

// Chooses the workload's sink for each command from its header, as an event-loop host does.
void Choose(cmds::eCommand, cmds::IFindOut& sink, cmds::CSinkChoice& choice) {
    choice.Use(sink);
}

void Choose(cmds::eCommand, cmds::IShareIn& sink, cmds::CSinkChoice& choice) {
    choice.Use(sink);
}

void Choose(cmds::eCommand command, SmallSink& sink, cmds::CSinkChoice& choice) {
    UseInterface(command, sink, [&choice](auto& as) { choice.Use(as); });
}

template <typename Sink>
class PushHandler : public cmds::CPushReader::IHandler {
public:
    explicit PushHandler(Sink& sink) : sink_(sink) {}
    void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override {
        Choose(header.command, sink_, choice);
    }
    void OnCommandEnd(const cmds::CCommandHeader&) override {}

private:
    Sink& sink_;
};

// The push reader with its default limits, handed the text in pieces of `piece` bytes, as an
// event loop hands over what each read of a connection gave. One reader reads every command.
template <typename Workload>
void CmdsPush(benchmark::State& state, const Texts<Workload>& texts, std::size_t piece) {
    const std::string& text = texts.command;
    Run(state, texts.workload, text.size(), [&](auto& sink) {
        PushHandler<std::remove_reference_t<decltype(sink)>> handler(sink);
        try {
            cmds::CPushReader reader(handler);
            for (std::size_t at = 0; at < text.size(); at += piece) {
                reader.Feed(text.data() + at, std::min(piece, text.size() - at));
            }
            reader.Finish();
            return true;
        } catch (const cmds::CCmdError&) {
            return false;
        }
    });
}

// ---- The speed of light ----

void HandFind(benchmark::State& state) {
    const auto& texts = FindTexts();
    Run(state, texts.workload, texts.command.size(),
        [&](cmds::IFindOut& sink) { return HandReadFindOutput(texts.command, sink); });
}

void HandShare(benchmark::State& state) {
    const auto& texts = ShareTexts();
    Run(state, texts.workload, texts.command.size(),
        [&](cmds::IShareIn& sink) { return HandReadShareInput(texts.command, sink); });
}

// ---- JSON ----

template <typename Workload, typename Read>
void Json(benchmark::State& state, const Texts<Workload>& texts, Read read) {
    Run(state, texts.workload, texts.json.size(), read);
}

template <typename Workload>
void Register(const char* workload, const Texts<Workload>& texts) {
    const auto add = [workload](const char* row, auto function) {
        return benchmark::RegisterBenchmark((std::string(workload) + "/" + row).c_str(), function);
    };
    add("cmds_string", [&texts](benchmark::State& s) { CmdsString(s, texts); });
    add("cmds_view", [&texts](benchmark::State& s) { CmdsView(s, texts); });
    add("cmds_istringstream", [&texts](benchmark::State& s) { CmdsIstringstream(s, texts); });
    add("cmds_ifstream", [&texts](benchmark::State& s) { CmdsIfstream(s, texts); });
    add("cmds_push_4KiB", [&texts](benchmark::State& s) { CmdsPush(s, texts, 4096); });
    add("cmds_push_64KiB", [&texts](benchmark::State& s) { CmdsPush(s, texts, 65536); });
}

void RegisterAll() {
    const auto& find = FindTexts();
    const auto& share = ShareTexts();
    const auto& small = SmallTexts();

    Register("a_find", find);
    benchmark::RegisterBenchmark("a_find/cmds_feed_4KiB", [&find](benchmark::State& s) {
        CmdsFeed(s, find);
    })->MeasureProcessCPUTime();
    benchmark::RegisterBenchmark("a_find/hand_parser", HandFind);
    benchmark::RegisterBenchmark("a_find/rapidjson_sax", [&find](benchmark::State& s) {
        Json(s, find, RapidJsonFind(find.json, RapidJsonVariant::kUtf8InPlace));
    });
    benchmark::RegisterBenchmark("a_find/rapidjson_sax_utf16", [&find](benchmark::State& s) {
        Json(s, find, RapidJsonFind(find.json, RapidJsonVariant::kUtf16));
    });
    benchmark::RegisterBenchmark("a_find/simdjson_ondemand", [&find](benchmark::State& s) {
        Json(s, find, SimdjsonFind(find.json));
    });
    benchmark::RegisterBenchmark("a_find/nlohmann", [&find](benchmark::State& s) {
        Json(s, find, NlohmannFind(find.json));
    });

    Register("b_share", share);
    benchmark::RegisterBenchmark("b_share/cmds_feed_4KiB", [&share](benchmark::State& s) {
        CmdsFeed(s, share);
    })->MeasureProcessCPUTime();
    benchmark::RegisterBenchmark("b_share/hand_parser", HandShare);
    benchmark::RegisterBenchmark("b_share/rapidjson_sax", [&share](benchmark::State& s) {
        Json(s, share, RapidJsonShare(share.json, RapidJsonVariant::kUtf8InPlace));
    });
    benchmark::RegisterBenchmark("b_share/rapidjson_sax_utf16", [&share](benchmark::State& s) {
        Json(s, share, RapidJsonShare(share.json, RapidJsonVariant::kUtf16));
    });
    benchmark::RegisterBenchmark("b_share/simdjson_ondemand", [&share](benchmark::State& s) {
        Json(s, share, SimdjsonShare(share.json));
    });
    benchmark::RegisterBenchmark("b_share/nlohmann", [&share](benchmark::State& s) {
        Json(s, share, NlohmannShare(share.json));
    });

    Register("c_small", small);
    benchmark::RegisterBenchmark("c_small/rapidjson_sax", [&small](benchmark::State& s) {
        Json(s, small, RapidJsonSmall(small.json, RapidJsonVariant::kUtf8InPlace));
    });
    benchmark::RegisterBenchmark("c_small/rapidjson_sax_utf16", [&small](benchmark::State& s) {
        Json(s, small, RapidJsonSmall(small.json, RapidJsonVariant::kUtf16));
    });
    benchmark::RegisterBenchmark("c_small/simdjson_ondemand", [&small](benchmark::State& s) {
        Json(s, small, SimdjsonSmall(small.json));
    });
    benchmark::RegisterBenchmark("c_small/nlohmann", [&small](benchmark::State& s) {
        Json(s, small, NlohmannSmall(small.json));
    });
}

const bool kRegistered = (RegisterAll(), true);

}  // namespace
}  // namespace bench
