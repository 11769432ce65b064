// The test vectors of vectors/: each is read from every kind of source and by the push reader fed
// in pieces, and must give the calls and the error it names; each accepted one in the generator's
// layout must be written back byte for byte. The checks themselves must catch a vector that the
// library does not meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cmds/cmds.h"
#include "sinks.h"
#include "vectors.h"

namespace {

using cmds_tool::Json;
using cmds_tool::TestVector;

struct PlacedVector {
    std::string place;  // "file.jsonl:LINE name"
    TestVector vector;
};

std::vector<PlacedVector> LoadVectors() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(CMDS_VECTORS_DIR)) {
        if (entry.path().extension() == ".jsonl") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<PlacedVector> vectors;
    for (const auto& path : files) {
        std::ifstream in(path);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            const std::string place = path.filename().string() + ":" + std::to_string(number);
            try {
                TestVector vector = cmds_tool::ParseVector(line);
                vectors.push_back({place + " " + vector.name, std::move(vector)});
            } catch (const cmds_tool::VectorError& error) {
                ADD_FAILURE() << place << ": " << error.what();
            }
        }
    }
    return vectors;
}

const std::vector<PlacedVector>& Vectors() {
    static const std::vector<PlacedVector> vectors = LoadVectors();
    return vectors;
}

// Guards against a run that finds no files, or files that leave a reader untested.
TEST(Vectors, EveryCommandHasAcceptedAndRejectedVectors) {
    for (const cmds::CCommandInfo& command : cmds::kCommands) {
        bool accepted = false;
        bool rejected = false;
        for (const PlacedVector& placed : Vectors()) {
            if (placed.vector.command == command.id) {
                (placed.vector.outcome["error"].is_null() ? accepted : rejected) = true;
            }
        }
        EXPECT_TRUE(accepted && rejected) << command.name;
    }
}

TEST(Vectors, StringSourceReadsAndGeneratorWritesEveryVector) {
    for (const PlacedVector& placed : Vectors()) {
        for (const std::string& fault : cmds_tool::CheckVector(placed.vector)) {
            ADD_FAILURE() << placed.place << ": " << fault;
        }
    }
}

using ReadVector = std::function<Json(const TestVector&)>;

Json FromInputStream(const TestVector& vector) {
    std::istringstream in(vector.text);
    cmds::CLexerStream source(in);
    return cmds_tool::ReadOutcome(source, vector.command);
}

Json FedByteByByte(const TestVector& vector) {
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < vector.text.size(); ++i) {
        bytes.push_back(std::string_view(vector.text).substr(i, 1));
    }
    return testing_support::ReadFed(bytes, [&vector](cmds::CLexerStream& source) {
        return cmds_tool::ReadOutcome(source, vector.command);
    });
}

// A push reader takes each command's kind from its header, so it reads as the vector's reader
// only the texts whose header names the vector's command.
bool PushReadable(const TestVector& vector) {
    cmds::CCommandHeader header;
    return cmds::PeekHeader(vector.text, header) && header.command == vector.command;
}

using Pieces = std::vector<std::string_view>;
using testing_support::Calls;

// What one push reader fed the pieces of each way in turn, then the end, makes of each command
// it begins, in the recording sinks' form, which is cheaper to make than JSON and as exact.
template <typename Sink>
std::vector<Calls> PushCommands(const std::vector<Pieces>& ways) {
    struct EachCommandApart : cmds::CPushReader::IHandler {
        void OnCommand(const cmds::CCommandHeader&, cmds::CSinkChoice& choice) override {
            choice.Use(sinks.emplace_back(commands.emplace_back()));
        }
        void OnCommandEnd(const cmds::CCommandHeader&) override {}
        std::deque<Calls> commands;
        std::deque<Sink> sinks;
    };
    EachCommandApart handler;
    cmds::CPushReader reader(handler, cmds::CReadLimits::None());
    try {
        for (const Pieces& pieces : ways) {
            for (const std::string_view piece : pieces) {
                reader.Feed(piece);
            }
        }
        reader.Finish();
    } catch (const cmds::CCmdError& error) {
        if (handler.commands.empty()) {
            handler.commands.emplace_back();
        }
        handler.commands.back().push_back(std::string("throws ") + cmds::GetErrorTypeName(error) +
                                          ": " + cmds::DescribeError(error));
    }
    return {handler.commands.begin(), handler.commands.end()};
}

struct Way {
    std::string name;
    Pieces pieces;
};

// The text whole, byte by byte, and in two pieces split at each position from `firstSplit` up to
// `endSplit`.
std::vector<Way> WaysToFeed(std::string_view text, std::size_t firstSplit, std::size_t endSplit) {
    std::vector<Way> ways = {{"whole", {text}}, {"byte by byte", {}}};
    for (std::size_t at = 0; at < text.size(); ++at) {
        ways[1].pieces.push_back(text.substr(at, 1));
    }
    for (std::size_t at = std::max<std::size_t>(firstSplit, 1);
         at < std::min(endSplit, text.size()); ++at) {
        ways.push_back({"split at " + std::to_string(at), {text.substr(0, at), text.substr(at)}});
    }
    return ways;
}

TEST(Vectors, EverySourceReadsEveryVector) {
    const std::pair<const char*, ReadVector> sources[] = {
        {"a host's input stream", FromInputStream},
        {"a feed stream fed byte by byte", FedByteByByte},
    };
    for (const auto& [source, read] : sources) {
        for (const PlacedVector& placed : Vectors()) {
            const std::string fault = cmds_tool::CompareOutcome(placed.vector, read(placed.vector));
            EXPECT_EQ(fault, "") << placed.place << ", from " << source;
        }
    }
}

// An accepted text is fed to one push reader again and again: whole, byte by byte and split in
// two at every position, one command each time. A fault ends a reader, and a reader costs about a
// millisecond under the thread sanitizer, so a rejected text is split only around the token at
// fault, where a piece's end meets the fault. Each command must make the calls, and end with the
// error, that the string source gives, which the vector names.
TEST(Vectors, PushReaderReadsEveryVectorInAnyPieces) {
    constexpr std::size_t kBeforeFault = 1;
    constexpr std::size_t kIntoFault = 3;
    for (const PlacedVector& placed : Vectors()) {
        const TestVector& vector = placed.vector;
        if (!PushReadable(vector)) {
            continue;
        }
        const Json& error = vector.outcome["error"];
        std::vector<std::vector<Way>> readers;
        if (error.is_null()) {
            readers.push_back(WaysToFeed(vector.text, 1, vector.text.size()));
        } else {
            const auto fault = error["offset"].get<std::size_t>();
            for (Way& way : WaysToFeed(vector.text, fault - std::min(fault, kBeforeFault),
                                       fault + kIntoFault)) {
                readers.push_back({std::move(way)});
            }
        }
        cmds::VisitCommand(vector.command, [&](auto kind) {
            using Sink = testing_support::Recording<typename decltype(kind)::Sink>;
            cmds::CStrLexerStream source(vector.text);
            const Calls expected = testing_support::ParseFrom<Sink>(source);
            for (const std::vector<Way>& ways : readers) {
                std::vector<Pieces> pieces;
                for (const Way& way : ways) {
                    pieces.push_back(way.pieces);
                }
                const std::vector<Calls> commands = PushCommands<Sink>(pieces);
                ASSERT_EQ(commands.size(), ways.size()) << placed.place;
                for (std::size_t i = 0; i < ways.size(); ++i) {
                    EXPECT_EQ(commands[i], expected) << placed.place << ", pushed " << ways[i].name;
                }
            }
        });
    }
}

// A vector that passes, and changed versions of it that must each fail.
const std::string kGood =
    R"({"name": "n", "verb": "SHAREDIR", "direction": "OUTPUT", )"
    R"("text": "SHAREDIR OUTPUT \r\n\terror:0,folder:4;", )"
    R"("calls": [{"call": "OnError", "error": 0}, {"call": "OnShareDirOut", "folder": 4}], )"
    R"("error": null})";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(Vectors, ChecksCatchEveryKindOfMismatch) {
    const std::string rejected =
        R"({"name": "r", "verb": "ALIVE", "direction": "OUTPUT", "text": "ALIVE OUTPUT error:x;", )"
        R"("calls": [], "error": {"type": "CSyntaxError", "offset": 19, "line": 1, )"
        R"("column": 20, "reason": "error takes a number; read the string \"x\""}})";
    const std::string request =
        R"({"name": "q", "verb": "ALIVE", "direction": "INPUT", "text": "ALIVE INPUT \r\n\t)"
        R"(user:1,pwd:\"b3a8deb9283b154ae3f5606a323d066d246e7440e2d8d4c9a87aa61b95183a26\";", )"
        R"("calls": [{"call": "OnUser", "user": 1, "pwd": )"
        R"("b3a8deb9283b154ae3f5606a323d066d246e7440e2d8d4c9a87aa61b95183a26"}], "error": null, )"
        R"("password": "secret"})";
    const struct {
        const char* name;
        std::string line;
    } kMismatches[] = {
        {"a value", Replace(kGood, R"("folder": 4})", R"("folder": 5})")},
        {"a call missing", Replace(kGood, R"(, {"call": "OnShareDirOut", "folder": 4})", "")},
        {"an accepted vector expecting an error",
         Replace(kGood, R"("error": null)",
                 R"("error": {"type": "CSyntaxError", "offset": 0, "line": 1, "column": 1, )"
                 R"("reason": ""})")},
        {"the error's type", Replace(rejected, "CSyntaxError", "CLexError")},
        {"the error's offset", Replace(rejected, R"("offset": 19)", R"("offset": 18)")},
        {"the error's column", Replace(rejected, R"("column": 20)", R"("column": 19)")},
        {"the error's reason", Replace(rejected, "the string", "the word")},
        {"a call before the error",
         Replace(rejected, R"("calls": [])", R"("calls": [{"call": "OnError", "error": 0}])")},
        {"a text the reader takes but the generator does not write",
         Replace(kGood, "error:0,", "error:0, ")},
        {"the password of a request", Replace(request, "secret", "Secret")},
        {"bytes after the command",
         Replace(Replace(kGood, "folder:4;", "folder:4; "), R"("error": null)",
                 R"("error": null, "layout": false)")},
        {"no JSON", "{"},
        {"an unknown field", Replace(kGood, R"("name")", R"("nmae")")},
        {"a text character above U+00FF", Replace(kGood, R"(\r\n)", R"(\u0100)")},
        {"a request in layout without its password",
         Replace(request, R"(, "password": "secret")", "")},
        {"layout on a rejected vector",
         Replace(rejected, R"("calls")", R"("layout": false, "calls")")},
    };
    std::ostringstream report;
    for (const auto& [name, line] : kMismatches) {
        std::istringstream in(kGood + "\n" + rejected + "\n" + request + "\n" + line + "\n");
        const cmds_tool::VectorTally tally = cmds_tool::CheckVectorFile(in, "f", report);
        EXPECT_EQ(tally.passed, 3u) << name << "\n" << report.str();
        EXPECT_EQ(tally.failed, 1u) << name;
    }
}

}  // namespace
