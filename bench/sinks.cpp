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

template <typename Text>
void AddText(Checksum& sum, const Text& text) {
    sum.Add(text.size());
    for (const auto unit : text) {
        sum.Add(static_cast<std::uint64_t>(unit));
    }
}

void AddFileTexts(Checksum& sum, const cmds::CFileInfo& record) {
    for (const cmds::wstring* text :
         {&record.file, &record.ext, &record.keywords, &record.author, &record.subject,
          &record.manager, &record.company, &record.comments, &record.title, &record.category,
          &record.creator, &record.type}) {
        AddText(sum, *text);
    }
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

void CheckingFindSink::OnHost(bool online, const cmds::CHostInfo& host) {
    FindSink::OnHost(online, host);
    AddText(*this, host.host);
    AddText(*this, host.user);
    AddText(*this, host.nick);
    for (const std::string& address : host.address) {
        AddText(*this, address);
    }
}

void CheckingFindSink::OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) {
    FindSink::OnFile(kind, record);
    AddFileTexts(*this, record);
}

void CheckingShareSink::OnUser(std::uint64_t user, const std::string& pwd) {
    ShareSink::OnUser(user, pwd);
    AddText(*this, pwd);
}

void CheckingShareSink::OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) {
    ShareSink::OnFile(kind, record);
    AddFileTexts(*this, record);
}

void CheckingSmallSink::OnUser(std::uint64_t user, const std::string& pwd) {
    SmallSink::OnUser(user, pwd);
    AddText(*this, pwd);
}

void CheckingSmallSink::OnConnectInHost(unsigned short port, const std::string& address,
                                        const cmds::wstring& host) {
    SmallSink::OnConnectInHost(port, address, host);
    AddText(*this, address);
    AddText(*this, host);
}

}  // namespace bench
