// Conversions, tag tables and kept records shared by the command readers.
#ifndef CMDS_PARSER_PARSER_INTERNAL_H
#define CMDS_PARSER_PARSER_INTERNAL_H

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "cmds/interfaces/records.h"
#include "cmds/tokens/tokens.h"

namespace cmds::detail {

// A result code travels widened with its sign; its low 32 bits give it back.
inline tagERROR_CODE ToErrorCode(std::uint64_t number) {
    return static_cast<tagERROR_CODE>(
        static_cast<std::int32_t>(static_cast<std::uint32_t>(number)));
}

inline bool IsYes(tokens::C_TYPE_ENUM value) {
    return value == tokens::C_YES;
}

// Default of an optional wide-string tag.
inline constexpr unsigned short kNoWideText[1] = {0};

// The value read for one declared tag, and how many times the tag was given in the list. Only
// the field of the declared kind is ever read back.
struct TagValue {
    tokens::TOKEN kind = tokens::NO_TOKEN;
    std::int32_t count = 0;
    std::uint64_t number = 0;  // NUMBER
    std::int32_t word = 0;     // M_VALUE, P_VALUE, C_VALUE or SCOPE_VALUE
    std::string narrow;        // STRING
    wstring wide;              // WSTRING
};

struct TagDecl {
    tokens::TOKEN tag;
    tokens::TOKEN kind;
};

// The tags that one kind of list accepts, with their value kinds, looked up by token in a flat
// index. A table is declared once and serves every list of its kind: Reset forgets the values
// of the last list and keeps the strings' storage for the next.
class TagMap {
public:
    TagMap(std::initializer_list<TagDecl> decls) {
        slotOf_.fill(-1);
        for (const TagDecl& decl : decls) {
            slotOf_[static_cast<std::size_t>(decl.tag - kFirstToken)] =
                static_cast<std::int8_t>(size_);
            values_[static_cast<std::size_t>(size_++)].kind = decl.kind;
        }
    }

    void Reset() {
        for (int i = 0; i < size_; ++i) {
            values_[static_cast<std::size_t>(i)].count = 0;
        }
    }

    // The entry of `tag`, or null when the list does not accept it.
    TagValue* Find(tokens::TOKEN tag) {
        if (tag < kFirstToken || tag > kLastToken) {
            return nullptr;
        }
        const int slot = slotOf_[static_cast<std::size_t>(tag - kFirstToken)];
        return slot < 0 ? nullptr : &values_[static_cast<std::size_t>(slot)];
    }

private:
    static constexpr int kFirstToken = tokens::END_OF_INPUT;
    static constexpr int kLastToken = tokens::SCOPE_VALUE;
    static constexpr std::size_t kMaxTags = 15;  // a full file record

    std::array<std::int8_t, kLastToken - kFirstToken + 1> slotOf_{};
    std::array<TagValue, kMaxTags> values_{};
    int size_ = 0;
};

// What a reader starts from when it cannot use the kept object.
inline TagMap Fresh(const TagMap& declared) {
    TagMap map(declared);
    map.Reset();
    return map;
}
template <typename Record>
Record Fresh(const Record&) {
    return Record();
}

// An object that the parser keeps from one list or record to the next.
template <typename T>
struct Kept {
    explicit Kept(T initial) : value(std::move(initial)) {}
    T value;
    bool busy = false;
};

// One reader's use of a kept object. Should a callback start another read on the same parser
// while the object is in use, that read gets a fresh object of its own, so the values of the
// read that made the callback stay as they were.
template <typename T>
class Lease {
public:
    explicit Lease(Kept<T>& kept) {
        if (kept.busy) {
            object_ = &spare_.emplace(Fresh(kept.value));
        } else {
            kept.busy = true;
            busy_ = &kept.busy;
            object_ = &kept.value;
        }
    }
    ~Lease() {
        if (busy_ != nullptr) {
            *busy_ = false;
        }
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    T& operator*() const { return *object_; }
    T* operator->() const { return object_; }

private:
    T* object_ = nullptr;
    bool* busy_ = nullptr;
    std::optional<T> spare_;
};

// A kept tag table, emptied for one list.
class TagTable : public Lease<TagMap> {
public:
    explicit TagTable(Kept<TagMap>& kept) : Lease(kept) { (*this)->Reset(); }
    operator TagMap&() const { return **this; }
};

// The tag tables of every kind of list and the records handed to callbacks, kept by a parser.
struct ReadState {
    using T = tokens::TOKEN;

    Kept<TagMap> connectIn{TagMap{{T::KW_USER, T::NUMBER},
                                  {T::KW_PWD, T::STRING},
                                  {T::KW_PORT, T::NUMBER},
                                  {T::KW_ADDRESS, T::STRING},
                                  {T::KW_HOST, T::WSTRING},
                                  {T::KW_BROWSABLE, T::C_VALUE},
                                  {T::KW_HTTPPROXY, T::C_VALUE},
                                  {T::KW_SOCKSPROXY, T::C_VALUE}}};
    Kept<TagMap> connectOut{TagMap{{T::KW_ERROR, T::NUMBER}, {T::KW_FILE, T::NUMBER}}};
    Kept<TagMap> credentials{TagMap{{T::KW_USER, T::NUMBER}, {T::KW_PWD, T::STRING}}};
    Kept<TagMap> folderRequest{
        TagMap{{T::KW_USER, T::NUMBER}, {T::KW_PWD, T::STRING}, {T::KW_FOLDER, T::NUMBER}}};
    Kept<TagMap> shareDirOut{TagMap{{T::KW_ERROR, T::NUMBER}, {T::KW_FOLDER, T::NUMBER}}};
    Kept<TagMap> shareOutFile{
        TagMap{{T::KW_ERROR, T::NUMBER}, {T::KW_FOLDER, T::NUMBER}, {T::KW_ID, T::NUMBER}}};
    Kept<TagMap> directoryHead{
        TagMap{{T::KW_ERROR, T::NUMBER}, {T::KW_FOLDER, T::WSTRING}, {T::KW_ID, T::NUMBER}}};
    Kept<TagMap> subDir{TagMap{{T::KW_FILE, T::WSTRING},
                               {T::KW_FOLDER, T::NUMBER},
                               {T::KW_ID, T::NUMBER},
                               {T::KW_PROTECTED, T::C_VALUE}}};
    Kept<TagMap> fullFile{TagMap{{T::KW_FOLDER, T::NUMBER},
                                 {T::KW_ID, T::NUMBER},
                                 {T::KW_FILE, T::WSTRING},
                                 {T::KW_SIZE, T::NUMBER},
                                 {T::KW_KEYWORDS, T::WSTRING},
                                 {T::KW_EXT, T::WSTRING},
                                 {T::KW_AUTHOR, T::WSTRING},
                                 {T::KW_SUBJECT, T::WSTRING},
                                 {T::KW_MANAGER, T::WSTRING},
                                 {T::KW_COMPANY, T::WSTRING},
                                 {T::KW_COMMENTS, T::WSTRING},
                                 {T::KW_TITLE, T::WSTRING},
                                 {T::KW_CATEGORY, T::WSTRING},
                                 {T::KW_CREATOR, T::WSTRING},
                                 {T::KW_TYPE, T::WSTRING}}};
    Kept<TagMap> keyFile{TagMap{{T::KW_FOLDER, T::NUMBER}, {T::KW_ID, T::NUMBER}}};
    Kept<TagMap> host{TagMap{{T::KW_ID, T::NUMBER},
                             {T::KW_HOST, T::WSTRING},
                             {T::KW_PORT, T::NUMBER},
                             {T::KW_ADDRESS, T::STRING},
                             {T::KW_ONLINE, T::C_VALUE},
                             {T::KW_USER, T::WSTRING},
                             {T::KW_NICK, T::WSTRING}}};
    Kept<TagMap> findIn{TagMap{{T::KW_MAX, T::NUMBER},
                               {T::KW_KEYWORDS, T::WSTRING},
                               {T::KW_USER, T::NUMBER},
                               {T::KW_PWD, T::STRING},
                               {T::KW_MATCH, T::M_VALUE},
                               {T::KW_EXACT, T::P_VALUE},
                               {T::KW_CASE, T::C_VALUE},
                               {T::KW_RANK, T::C_VALUE},
                               {T::KW_FREETEXT, T::C_VALUE},
                               {T::KW_SCOPE, T::SCOPE_VALUE}}};

    Kept<CFileInfo> file{CFileInfo()};
    Kept<CHostInfo> hostRecord{CHostInfo()};
    Kept<CSubDirInfo> subDirRecord{CSubDirInfo()};
};

// Gives a kept record the state of a new one, keeping its strings' storage.
inline void Clear(CFileInfo& record) {
    record.folder = record.size = record.id = 0;
    for (wstring* text : {&record.file, &record.ext, &record.keywords, &record.author,
                          &record.subject, &record.manager, &record.company, &record.comments,
                          &record.title, &record.category, &record.creator, &record.type}) {
        text->clear();
    }
}

}  // namespace cmds::detail

#endif
