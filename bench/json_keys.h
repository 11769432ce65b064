// The keys of the JSON texts and how their values land in the records, shared by the JSON rows.
#ifndef CMDS_BENCH_JSON_KEYS_H
#define CMDS_BENCH_JSON_KEYS_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cmds/cmds.h"

namespace bench {

enum class Key {
    kOther,
    kError,
    kHosts,
    kId,
    kHost,
    kUser,
    kNick,
    kAddress,
    kPort,
    kFiles,
    kFolder,
    kFile,
    kExt,
    kSize,
    kKeywords,
    kAuthor,
    kSubject,
    kManager,
    kCompany,
    kComments,
    kTitle,
    kCategory,
    kCreator,
    kType,
    kPwd,
    kCmd,
    kBrowsable,
    kHttpproxy,
    kSocksproxy,
};

// The key that [text, text + length) names: the length and one or two characters pick the only
// candidate, one comparison confirms it.
template <typename Char>
Key KeyOf(const Char* text, std::size_t length) {
    if (length < 2) {
        return Key::kOther;
    }
    const Char first = text[0];
    const Char second = text[1];
    Key key = Key::kOther;
    std::string_view name;
    const auto pick = [&](Key k, std::string_view n) {
        key = k;
        name = n;
    };
    switch (length) {
        case 2:
            pick(Key::kId, "id");
            break;
        case 3:
            first == 'e'   ? pick(Key::kExt, "ext")
            : first == 'p' ? pick(Key::kPwd, "pwd")
                           : pick(Key::kCmd, "cmd");
            break;
        case 4:
            switch (first) {
                case 'f':
                    pick(Key::kFile, "file");
                    break;
                case 's':
                    pick(Key::kSize, "size");
                    break;
                case 't':
                    pick(Key::kType, "type");
                    break;
                case 'h':
                    pick(Key::kHost, "host");
                    break;
                case 'u':
                    pick(Key::kUser, "user");
                    break;
                case 'n':
                    pick(Key::kNick, "nick");
                    break;
                default:
                    pick(Key::kPort, "port");
                    break;
            }
            break;
        case 5:
            first == 't'   ? pick(Key::kTitle, "title")
            : first == 'e' ? pick(Key::kError, "error")
            : first == 'h' ? pick(Key::kHosts, "hosts")
                           : pick(Key::kFiles, "files");
            break;
        case 6:
            first == 'f' ? pick(Key::kFolder, "folder") : pick(Key::kAuthor, "author");
            break;
        case 7:
            first == 's'    ? pick(Key::kSubject, "subject")
            : first == 'm'  ? pick(Key::kManager, "manager")
            : first == 'a'  ? pick(Key::kAddress, "address")
            : second == 'o' ? pick(Key::kCompany, "company")
                            : pick(Key::kCreator, "creator");
            break;
        case 8:
            first == 'k'    ? pick(Key::kKeywords, "keywords")
            : second == 'o' ? pick(Key::kComments, "comments")
                            : pick(Key::kCategory, "category");
            break;
        case 9:
            first == 'b' ? pick(Key::kBrowsable, "browsable") : pick(Key::kHttpproxy, "httpproxy");
            break;
        case 10:
            pick(Key::kSocksproxy, "socksproxy");
            break;
        default:
            return Key::kOther;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] != static_cast<Char>(name[i])) {
            return Key::kOther;
        }
    }
    return key;
}

inline cmds::wstring* FileText(cmds::CFileInfo& file, Key key) {
    switch (key) {
        case Key::kFile:
            return &file.file;
        case Key::kExt:
            return &file.ext;
        case Key::kKeywords:
            return &file.keywords;
        case Key::kAuthor:
            return &file.author;
        case Key::kSubject:
            return &file.subject;
        case Key::kManager:
            return &file.manager;
        case Key::kCompany:
            return &file.company;
        case Key::kComments:
            return &file.comments;
        case Key::kTitle:
            return &file.title;
        case Key::kCategory:
            return &file.category;
        case Key::kCreator:
            return &file.creator;
        case Key::kType:
            return &file.type;
        default:
            return nullptr;
    }
}

inline void SetFileNumber(cmds::CFileInfo& file, Key key, std::uint64_t value) {
    switch (key) {
        case Key::kFolder:
            file.folder = value;
            break;
        case Key::kId:
            file.id = value;
            break;
        case Key::kSize:
            file.size = value;
            break;
        default:
            break;
    }
}

// Empties a record for the next one, keeping the capacity of its texts.
inline void ClearFile(cmds::CFileInfo& file) {
    file.folder = file.id = file.size = 0;
    for (cmds::wstring* text :
         {&file.file, &file.ext, &file.keywords, &file.author, &file.subject, &file.manager,
          &file.company, &file.comments, &file.title, &file.category, &file.creator, &file.type}) {
        text->clear();
    }
}

inline void ClearHost(cmds::CHostInfo& host) {
    host.id = 0;
    host.port = 0;
    host.host.clear();
    host.user.clear();
    host.nick.clear();
}

// A result code travels as a signed number.
inline tagERROR_CODE ResultCode(std::int64_t value) {
    return static_cast<tagERROR_CODE>(static_cast<std::int32_t>(value));
}

}  // namespace bench

#endif
