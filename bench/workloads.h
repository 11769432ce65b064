// Deterministic workloads shared by the benchmarks: the records, their command text and the same
// logical content as JSON.
#ifndef CMDS_BENCH_WORKLOADS_H
#define CMDS_BENCH_WORKLOADS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include <rapidjson/stringbuffer.h>

#include "cmds/cmds.h"

namespace bench {

class SmallSink;

// (a) FIND OUTPUT: hosts with the files of each that matched.
struct FoundHost {
    cmds::CHostInfo host;
    std::vector<cmds::CFileInfo> files;
};
struct FindReply {
    tagERROR_CODE error{};
    std::vector<FoundHost> hosts;
    // Hosts and files: what one read delivers through callbacks.
    std::size_t Records() const;
};

// (b) SHARE INPUT: a user's files.
struct ShareRequest {
    std::uint64_t user = 0;
    cmds::wstring pwd;
    std::string signature;  // what the text carries for `pwd`
    std::vector<cmds::CFileInfo> files;
    std::size_t Records() const { return files.size(); }
};

// (c) One small command of the sequence.
enum class SmallKind { kConnectIn, kAliveIn, kAliveOut, kShareDirOut };
inline constexpr cmds::eCommand kSmallCommands[] = {  // by SmallKind
    cmds::eCommandConnectIn, cmds::eCommandAliveIn, cmds::eCommandAliveOut,
    cmds::eCommandShareDirOut};
struct SmallCommand {
    SmallKind kind = SmallKind::kAliveIn;
    std::uint64_t user = 0;
    cmds::wstring pwd;
    std::string signature;
    std::string address;
    cmds::wstring host;
    unsigned short port = 0;
    bool browsable = false;
    bool httpproxy = false;
    bool socksproxy = false;
    tagERROR_CODE error{};
    std::uint64_t folder = 0;
};

FindReply MakeFindReply(std::size_t hosts, std::size_t filesPerHost);
ShareRequest MakeShareRequest(std::size_t files);
std::vector<SmallCommand> MakeSmallCommands(std::size_t count);

// The workloads of the issue, built once.
const FindReply& FindWorkload();                   // 1,000 hosts x 20 files
const ShareRequest& ShareWorkload();               // 20,000 files
const ShareRequest& SmallShareWorkload();          // 400 files, (b)'s first
const std::vector<SmallCommand>& SmallWorkload();  // 100,000 commands

// Command text, written through `out`.
void Write(cmds::CGenerator& out, const FindReply& reply, std::string& addressScratch);
void Write(cmds::CGenerator& out, const ShareRequest& request);
void Write(cmds::CGenerator& out, const std::vector<SmallCommand>& commands);

template <typename Workload>
std::string CommandText(const Workload& workload) {
    cmds::CStrStmGenerator out;
    if constexpr (std::is_same_v<Workload, FindReply>) {
        std::string scratch;
        Write(out, workload, scratch);
    } else {
        Write(out, workload);
    }
    return out.str();
}

// The callbacks that reading each workload's command text makes, made straight from its
// records: what every row must deliver.
void Replay(const FindReply& reply, cmds::IFindOut& sink);
void Replay(const ShareRequest& request, cmds::IShareIn& sink);
void Replay(const std::vector<SmallCommand>& commands, SmallSink& sink);

// Reads the whole sequence of small commands with `parser`, choosing each reader as a host that
// knows what comes next would.
void ParseSmall(cmds::CParser& parser, const std::vector<SmallCommand>& commands, SmallSink& sink);

// The same content as JSON, written with RapidJSON's Writer into `buffer` (cleared first). The
// records' 16-bit texts reach the writer either as UTF-8 made by Utf16ToUtf8 (convert.h), written
// by a UTF-8 to UTF-8 Writer, or as UTF-16 that a UTF-16 to UTF-8 Writer transcodes itself; both
// write the same bytes. Small commands are one object each, separated by line feeds.
enum class JsonWriting { kConvertFirst, kWriterTranscodes };
void WriteJson(rapidjson::StringBuffer& buffer, const FindReply& reply, JsonWriting how);
void WriteJson(rapidjson::StringBuffer& buffer, const ShareRequest& request, JsonWriting how);
void WriteJson(rapidjson::StringBuffer& buffer, const std::vector<SmallCommand>& commands,
               JsonWriting how);

template <typename Workload>
std::string JsonText(const Workload& workload) {
    rapidjson::StringBuffer buffer;
    WriteJson(buffer, workload, JsonWriting::kConvertFirst);
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace bench

#endif
