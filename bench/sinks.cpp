#include "sinks.h"

namespace bench {

namespace {

void AddFile(Checksum& sum, cmds::FILE_TYPE_ENUM kind, const cmds::CFileInfo& record) {
    sum.Add(static_cast<std::uint64_t>(kind));
    sum.Add(record.folder ^ record.id ^ record.size);
    sum.Add(record.file.size() + record.ext.size() + record.keywords.size() + record.author.size() +
            record.subject.size() + record.manager.size() + record.company.size() +
            record.comments.size() + record.title.size() + record.category.size() +
            record.creator.size() + record.type.size());
}

}  // namespace

void FindSink::OnError(tagERROR_CODE error) {
    Add(static_cast<std::uint32_t>(error));
}

void FindSink::OnHost(bool online, const cmds::CHostInfo& host) {
    Add(online);
    Add(host.id ^ host.port);
    Add(host.host.size() + host.user.size() + host.nick.size() + host.address.size());
}

void FindSink::OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) {
    AddFile(*this, kind, record);
}

void ShareSink::OnUser(std::uint64_t user, const std::string& pwd) {
    Add(user ^ pwd.size());
}

void ShareSink::OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) {
    AddFile(*this, kind, record);
}

void SmallSink::OnUser(std::uint64_t user, const std::string& pwd) {
    Add(user ^ pwd.size());
}

void SmallSink::OnConnectInHost(unsigned short port, const std::string& address,
                                const cmds::wstring& host) {
    Add(port ^ address.size() ^ host.size());
}

void SmallSink::OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) {
    Add(browsable * 4u + httpproxy * 2u + socksproxy);
}

void SmallSink::OnError(tagERROR_CODE error) {
    Add(static_cast<std::uint32_t>(error));
}

void SmallSink::OnShareDirOut(std::uint64_t folder) {
    Add(folder);
}

}  // namespace bench
