// Callback sinks shared by every row: each folds what it receives into a checksum, so that no
// row can skip work, and keeps nothing. Their operations are defined in their own file, so every
// row makes a real virtual call per record.
//
// The timed sinks fold numbers and lengths only. The checking sinks also fold every unit of every
// text; a row is timed only once a read into a checking sink has given the checksum of the
// workload's own records (Replay), so every row delivers the same values.
#ifndef CMDS_BENCH_SINKS_H
#define CMDS_BENCH_SINKS_H

#include <cstdint>
#include <string>
#include <type_traits>

#include "cmds/cmds.h"

namespace bench {

struct Checksum {
    std::uint64_t value = 0;
    void Add(std::uint64_t v) { value = value * 31 + v; }
};

class FindSink : public cmds::IFindOut, public Checksum {
public:
    void OnError(tagERROR_CODE error) override;
    void OnHost(bool online, const cmds::CHostInfo& host) override;
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) override;
};

class ShareSink : public cmds::IShareIn, public Checksum {
public:
    void OnUser(std::uint64_t user, const std::string& pwd) override;
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) override;
};

// One sink for every kind of small command.
class SmallSink : public cmds::IConnectIn,
                  public cmds::IAliveIn,
                  public cmds::IAliveOut,
                  public cmds::IShareDirOut,
                  public Checksum {
public:
    void OnUser(std::uint64_t user, const std::string& pwd) override;
    void OnConnectInHost(unsigned short port, const std::string& address,
                         const cmds::wstring& host) override;
    void OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) override;
    void OnError(tagERROR_CODE error) override;
    void OnShareDirOut(std::uint64_t folder) override;
};

// Calls `use` with `sink` as the callback interface of `command`; does nothing for a command whose
// interface the sink does not implement.
template <typename Use>
void UseInterface(cmds::eCommand command, SmallSink& sink, Use&& use) {
    cmds::VisitCommand(command, [&](auto kind) {
        using Interface = typename decltype(kind)::Sink;
        if constexpr (std::is_base_of_v<Interface, SmallSink>) {
            use(static_cast<Interface&>(sink));
        }
    });
}

// The same sinks, folding the content of every text as well.
class CheckingFindSink : public FindSink {
public:
    void OnHost(bool online, const cmds::CHostInfo& host) override;
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) override;
};

class CheckingShareSink : public ShareSink {
public:
    void OnUser(std::uint64_t user, const std::string& pwd) override;
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) override;
};

class CheckingSmallSink : public SmallSink {
public:
    void OnUser(std::uint64_t user, const std::string& pwd) override;
    void OnConnectInHost(unsigned short port, const std::string& address,
                         const cmds::wstring& host) override;
};

}  // namespace bench

#endif
