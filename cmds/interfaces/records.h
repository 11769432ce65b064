/// @file
/// The records that writers take and readers hand to callbacks.
#ifndef CMDS_INTERFACES_RECORDS_H
#define CMDS_INTERFACES_RECORDS_H

#include <cstdint>
#include <string>
#include <vector>

#include "cmds/tokens/tokens.h"

namespace cmds {

/// Kind of a record in a marked file list, written as its marker.
enum FILE_TYPE_ENUM : std::int32_t {
    FILE_PLUS = 1,   ///< "+" or no marker: a full record
    FILE_MINUS = 2,  ///< "-": folder and id only
    FILE_STAR = 3,   ///< "*": folder and id only
};

/// One shared file. `folder` and `id` identify it; an empty text means "not given".
struct CFileInfo {
    std::uint64_t folder = 0;
    wstring file;
    wstring ext;
    wstring keywords;
    wstring author;
    wstring subject;
    wstring manager;
    wstring company;
    wstring comments;
    wstring title;
    wstring category;
    wstring creator;
    wstring type;
    std::uint64_t size = 0;
    std::uint64_t id = 0;

    friend bool operator==(const CFileInfo& a, const CFileInfo& b) {
        return a.folder == b.folder && a.file == b.file && a.ext == b.ext &&
               a.keywords == b.keywords && a.author == b.author && a.subject == b.subject &&
               a.manager == b.manager && a.company == b.company && a.comments == b.comments &&
               a.title == b.title && a.category == b.category && a.creator == b.creator &&
               a.type == b.type && a.size == b.size && a.id == b.id;
    }
    friend bool operator!=(const CFileInfo& a, const CFileInfo& b) { return !(a == b); }
};

/// One sub-folder entry of a directory listing.
struct CSubDirInfo {
    wstring file;
    std::uint64_t id = 0;
    std::uint64_t folder = 0;
    bool isProtected = false;

    friend bool operator==(const CSubDirInfo& a, const CSubDirInfo& b) {
        return a.file == b.file && a.id == b.id && a.folder == b.folder &&
               a.isProtected == b.isProtected;
    }
    friend bool operator!=(const CSubDirInfo& a, const CSubDirInfo& b) { return !(a == b); }
};

/// One peer of the network as a host record delivers it. The online state travels separately.
struct CHostInfo {
    std::uint64_t id = 0;
    wstring host;
    wstring nick;
    wstring user;
    std::vector<std::string> address;
    unsigned short port = 0;

    friend bool operator==(const CHostInfo& a, const CHostInfo& b) {
        return a.id == b.id && a.host == b.host && a.nick == b.nick && a.user == b.user &&
               a.address == b.address && a.port == b.port;
    }
    friend bool operator!=(const CHostInfo& a, const CHostInfo& b) { return !(a == b); }
};

/// Search options of a FIND request. Values outside the named ones are not written.
enum eMatch : std::int32_t { eMatchAll = 0, eMatchAny = 1, eMatchExpression = 2 };
enum eExact : std::int32_t { eExactOn = 0, eExactOff = 1, eExactBegin = 2, eExactEnd = 3 };
enum eScope : std::int32_t { eScopeGlobal = 0, eScopeMyself = 1, eScopeFriend = 2 };

/// All arguments of one FIND request.
struct CFindIn {
    void* context = nullptr;  ///< for the host's own use; the library never reads or writes it
    eMatch match = eMatchAny;
    eExact exact = eExactOff;
    eScope scope = eScopeGlobal;
    bool isCase = false;
    std::uint32_t max =
        0;  ///< largest number of results wanted; 0 sets no limit and is not written
    wstring keywords;
    std::uint64_t user = 0;
    std::uint64_t tag = 0;  ///< for the host's own use; the library never reads or writes it
    wstring pwd;            ///< the plain password; it is written signed
    bool rank = false;
    bool freetext = false;
};

}  // namespace cmds

#endif
