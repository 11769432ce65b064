/// @file
/// Callback interfaces that the host implements and the parser calls, inside Parse, on the
/// parsing thread. Strings and records passed by reference belong to the parser and are valid
/// only during the call; a host that keeps them copies (or moves out of) them.
#ifndef CMDS_INTERFACES_CALLBACKS_H
#define CMDS_INTERFACES_CALLBACKS_H

#include <cstdint>
#include <string>

#include "cmds/export.h"
#include "cmds/interfaces/records.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

/// Credentials of a request: the user number and the signed password as read.
class CMDS_API IUser {
public:
    virtual ~IUser() = default;
    virtual void OnUser(std::uint64_t user, const std::string& pwd) = 0;
};

/// Result code of a reply.
class CMDS_API IError {
public:
    virtual ~IError() = default;
    virtual void OnError(tagERROR_CODE error) = 0;
};

/// One file record; `kind` is FILE_PLUS unless a marker said otherwise.
class CMDS_API IFile {
public:
    virtual ~IFile() = default;
    virtual void OnFile(FILE_TYPE_ENUM kind, CFileInfo& record) = 0;
};

/// One host record; `online` is true unless the record says online:no.
class CMDS_API IHost {
public:
    virtual ~IHost() = default;
    virtual void OnHost(bool online, const CHostInfo& host) = 0;
};

/// CONNECT INPUT: OnUser, OnConnectInHost, OnConnectInFlags.
class CMDS_API IConnectIn : public IUser {
public:
    virtual void OnConnectInHost(unsigned short port, const std::string& address,
                                 const wstring& host) = 0;
    virtual void OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) = 0;
};

/// CONNECT OUTPUT: OnError, OnConnectOut.
class CMDS_API IConnectOut : public IError {
public:
    virtual void OnConnectOut(std::uint64_t file) = 0;
};

/// DISCONNECT and ALIVE carry credentials or a result code only.
class CMDS_API IDisconnectIn : public IUser {};
class CMDS_API IDisconnectOut : public IError {};
class CMDS_API IAliveIn : public IUser {};
class CMDS_API IAliveOut : public IError {};

/// SHARE INPUT: OnUser, then OnFile per record.
class CMDS_API IShareIn : public IUser, public IFile {};

/// SHARE OUTPUT: OnError, then OnShareOutFile per file result.
class CMDS_API IShareOut : public IError {
public:
    virtual void OnShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) = 0;
};

/// UNSHARE INPUT: OnUser, OnUnShareIn.
class CMDS_API IUnshareIn : public IUser {
public:
    virtual void OnUnShareIn(std::uint64_t folder) = 0;
};

/// UNSHARE OUTPUT: OnError.
class CMDS_API IUnshareOut : public IError {};

/// SHAREDIR INPUT: OnUser, OnShareDirIn.
class CMDS_API IShareDirIn : public IUser {
public:
    virtual void OnShareDirIn(std::uint64_t folder) = 0;
};

/// SHAREDIR OUTPUT: OnError, OnShareDirOut.
class CMDS_API IShareDirOut : public IError {
public:
    virtual void OnShareDirOut(std::uint64_t folder) = 0;
};

/// DIRECTORY OUTPUT: OnError, OnDirectoryBegin, then OnSubDir or OnFile per entry in text order.
class CMDS_API IDirectory : public IFile, public IError {
public:
    virtual void OnSubDir(CSubDirInfo& entry) = 0;
    virtual void OnDirectoryBegin(const wstring& folder, std::uint64_t id) = 0;
};

/// FIND INPUT: OnKeywords, OnUser, OnMax, OnScope, OnMatch, OnExact, OnCase, OnRank, OnFreetext.
class CMDS_API IFindIn : public IUser {
public:
    virtual void OnCase(bool isCase) = 0;
    virtual void OnMatch(eMatch match) = 0;
    virtual void OnExact(eExact exact) = 0;
    virtual void OnMax(std::uint32_t max) = 0;
    virtual void OnKeywords(const wstring& keywords) = 0;
    virtual void OnRank(bool rank) = 0;
    virtual void OnFreetext(bool freetext) = 0;
    virtual void OnScope(eScope scope) = 0;
};

/// FIND OUTPUT: OnError, then per host OnHost followed by OnFile per file of that host.
class CMDS_API IFindOut : public IFile, public IError, public IHost {};

/// FRIENDS INPUT: OnUser, then OnHost per friend.
class CMDS_API IFriendsIn : public IUser, public IHost {};

/// FRIENDS OUTPUT: OnError, then OnHost per friend.
class CMDS_API IFriendsOut : public IError, public IHost {};

}  // namespace cmds

#endif
