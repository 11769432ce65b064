// The machinery shared by the command readers: tag tables, the records kept by a parser, and the
// reader of one command, which knows where it is for its error messages.
#ifndef CMDS_PARSER_PARSER_INTERNAL_H
#define CMDS_PARSER_PARSER_INTERNAL_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "cmds/interfaces/callbacks.h"
#include "cmds/interfaces/commands.h"
#include "cmds/interfaces/records.h"
#include "cmds/lexer/lexer.h"
#include "cmds/lexer/words_internal.h"
#include "cmds/parser/limits.h"
#include "cmds/tokens/raise_internal.h"
#include "cmds/tokens/tables_internal.h"
#include "cmds/tokens/tokens.h"

namespace cmds::detail {

class RunCursor;

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

// Keys are compared where they may stand by setting bit 5 of every byte, which turns no byte but
// a letter into a letter: that holds for keys of letters alone.
static_assert([] {
    for (int token = tokens::NO_TOKEN + 1; token < tokens::COLON; ++token) {
        for (const char* c = kKeywordTexts[token]; *c != 0; ++c) {
            if (!Is(*c, kLetter)) {
                return false;
            }
        }
    }
    return true;
}());

// Every command's header as the generator writes it, one space between its words, so that the
// common form is matched in one comparison.
inline constexpr auto kFoldedHeaders = [] {
    std::array<FoldedPhrase, kCommandCount> headers{};
    for (std::size_t i = 0; i < headers.size(); ++i) {
        headers[i] = FoldPhrase(kCommands[i].name);
    }
    return headers;
}();

// A list's tags, declared in the order in which the generator writes them.
struct TagDecl {
    tokens::TOKEN tag;
    tokens::TOKEN kind;
};

// The tags that one kind of list accepts, with their value kinds, looked up by token in a flat
// index and by text in a hash table whose seed is chosen so that no two keys share a bucket.
// Built at compile time; the values read go into the parser's kept TagValues.
class TagTable {
public:
    static constexpr int kMaxTags = 15;  // a full file record

    // The list of a command's head, or of a kind of record named by `where` ("a file record").
    template <std::size_t N>
    constexpr explicit TagTable(const TagDecl (&decls)[N]) : TagTable(nullptr, decls) {}
    template <std::size_t N>
    constexpr TagTable(const char* where, const TagDecl (&decls)[N]) : where_(where) {
        static_assert(N <= kMaxTags);
        for (auto& slot : slotOf_) {
            slot = kNoSlot;
        }
        for (const TagDecl& decl : decls) {
            slotOf_[static_cast<std::size_t>(decl.tag - kFirstToken)] =
                static_cast<std::uint8_t>(size_);
            tags_[static_cast<std::size_t>(size_)] = decl.tag;
            kinds_[static_cast<std::size_t>(size_)] = decl.kind;
            keyTexts_[static_cast<std::size_t>(size_)] = kFoldedKeywords[decl.tag];
            keyLengths_[static_cast<std::size_t>(size_)] = kKeywordLengths[decl.tag];
            ++size_;
        }
        while (!SpreadKeys()) {
            ++seed_;
        }
    }

    // The slot of `tag`, or -1 when the list does not accept it.
    constexpr int SlotOf(tokens::TOKEN tag) const {
        if (tag < kFirstToken || tag > kLastToken) {
            return -1;
        }
        const std::uint8_t slot = slotOf_[static_cast<std::size_t>(tag - kFirstToken)];
        return slot == kNoSlot ? -1 : slot;
    }
    // The slot of the key [word, word + length), a word of ASCII letters and digits compared
    // without regard to case, or -1 when the list does not accept it; `readable` bytes from
    // `word` on may be read.
    int FindKey(const char* word, std::size_t length, std::size_t readable) const {
        if (length > kLongestWord) {
            return -1;
        }
        const int slot = bucketSlots_[Bucket(word, length, seed_)] - 1;
        if (slot < 0 ||
            !IsFoldedWord(word, length, keyTexts_[static_cast<std::size_t>(slot)], readable)) {
            return -1;
        }
        return slot;
    }
    // Whether the key of `slot`, in any case, and its ':' start the `readable` bytes at `at`:
    // where a writer that gives the tags in the list's order puts them.
    bool IsKeyWithColonAt(int slot, const char* at, std::size_t readable) const {
        return IsKeyWithColon(at, readable, keyTexts_[static_cast<std::size_t>(slot)],
                              keyLengths_[static_cast<std::size_t>(slot)]);
    }
    // The length of the key of `slot`.
    std::size_t KeyLength(int slot) const { return keyLengths_[static_cast<std::size_t>(slot)]; }
    tokens::TOKEN Tag(int slot) const { return tags_[static_cast<std::size_t>(slot)]; }
    tokens::TOKEN Kind(int slot) const { return kinds_[static_cast<std::size_t>(slot)]; }
    int Size() const { return size_; }
    // The kind of record the list belongs to, for messages; null for a command's head.
    const char* Where() const { return where_; }

private:
    static constexpr int kFirstToken = tokens::END_OF_INPUT;
    static constexpr int kLastToken = tokens::SCOPE_VALUE;

    const char* where_;
    static constexpr std::uint8_t kNoSlot = 0xFF;

    std::array<std::uint8_t, kLastToken - kFirstToken + 1> slotOf_{};
    std::array<tokens::TOKEN, kMaxTags> tags_{};
    std::array<tokens::TOKEN, kMaxTags> kinds_{};
    int size_ = 0;

    static constexpr std::size_t kBuckets = 64;

    // Bit 5 folds the case of a letter and leaves a digit as it is.
    static constexpr std::size_t Bucket(const char* word, std::size_t length, std::uint32_t seed) {
        const std::uint32_t key =
            static_cast<std::uint32_t>(length) |
            (static_cast<std::uint32_t>(static_cast<unsigned char>(word[0])) | 0x20u) << 8 |
            (static_cast<std::uint32_t>(static_cast<unsigned char>(word[length - 1])) | 0x20u)
                << 16;
        return ((key ^ seed) * 2654435761u) >> 26;
    }

    // Places every key in a bucket of its own under the current seed, if it can.
    constexpr bool SpreadKeys() {
        for (auto& slot : bucketSlots_) {
            slot = 0;
        }
        for (int slot = 0; slot < size_; ++slot) {
            const auto i = static_cast<std::size_t>(slot);
            std::uint8_t& bucket = bucketSlots_[Bucket(keyTexts_[i].data(), keyLengths_[i], seed_)];
            if (bucket != 0) {
                return false;
            }
            bucket = static_cast<std::uint8_t>(slot + 1);
        }
        return true;
    }

    std::array<FoldedWord, kMaxTags> keyTexts_{};
    std::array<std::uint8_t, kMaxTags> keyLengths_{};
    std::array<std::uint8_t, kBuckets> bucketSlots_{};  // slot + 1; 0 for none
    std::uint32_t seed_ = 0;
};

// The value read for one declared tag, and how many times the tag was given in the list. Only
// the field of the declared kind is ever read back.
struct TagValue {
    std::int32_t count = 0;
    std::uint64_t number = 0;      // NUMBER
    std::int32_t word = 0;         // M_VALUE, P_VALUE, C_VALUE or SCOPE_VALUE
    std::string narrow;            // STRING
    wstring wide;                  // WSTRING, unless bound
    wstring* boundWide = nullptr;  // where a WSTRING value goes instead: a record's field
    CTextPosition repeatedAt;      // where the tag was given a second time
};

using TagValues = std::array<TagValue, TagTable::kMaxTags>;

// What a reader starts from when it cannot use the kept object.
template <typename T>
T Fresh(const T&) {
    return T();
}

// An object that the parser keeps from one list or record to the next.
template <typename T>
struct Kept {
    T value{};
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

// The values of tag lists and the records handed to callbacks, kept by a parser so that reading
// allocates nothing per record once their strings have grown to fit. At most one tag list is
// being read at a time, so all lists share one set of values.
struct ReadState {
    Kept<TagValues> values;
    Kept<CFileInfo> file;
    Kept<CHostInfo> host;
    Kept<CSubDirInfo> subDir;
    // Address strings of earlier hosts, kept with their storage for later ones.
    std::vector<std::string> spareAddresses;
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

class Reader;

// One tag list being read: its table and the kept values, emptied for it.
class TagList {
public:
    TagList(ReadState& state, const TagTable& table) : table_(table), values_(state.values) {
        // The size is read once: the stores below could otherwise change it for the compiler.
        const int size = table_.Size();
        for (int i = 0; i < size; ++i) {
            TagValue& value = (*values_)[static_cast<std::size_t>(i)];
            value.count = 0;
            value.boundWide = nullptr;
        }
    }

    // Reads the wide value of the tag in `slot` straight into `field`, which Settle then
    // checks.
    void Bind(int slot, wstring& field) const { Value(slot).boundWide = &field; }

    const TagTable& Table() const { return table_; }
    // The entry of `tag`, or null when the list does not accept it.
    TagValue* Find(tokens::TOKEN tag) const {
        const int slot = table_.SlotOf(tag);
        return slot < 0 ? nullptr : &(*values_)[static_cast<std::size_t>(slot)];
    }
    tokens::TOKEN KindOf(tokens::TOKEN tag) const { return table_.Kind(table_.SlotOf(tag)); }
    TagValue& Value(int slot) const { return (*values_)[static_cast<std::size_t>(slot)]; }
    static wstring& WideOf(TagValue& value) {
        return value.boundWide != nullptr ? *value.boundWide : value.wide;
    }
    // Where the token after the list starts: what a missing tag is reported at.
    CTextPosition end;

private:
    const TagTable& table_;
    Lease<TagValues> values_;
};

// The record being read, for messages: its kind and its number in its list, and the host that
// holds it in a search reply.
struct RecordPlace {
    const char* kind = nullptr;
    std::uint32_t number = 0;
    std::uint32_t host = 0;
};

// The head of every request that carries the credentials alone, or before its lists.
inline constexpr TagTable kCredentialTags({{tokens::KW_USER, tokens::NUMBER},
                                           {tokens::KW_PWD, tokens::STRING}});

// Reads one command from the parser's lexer. The readers of the commands are its Read overloads;
// every fault is thrown with where it lies and why.
class Reader {
public:
    // `headerRead`: the caller has read and matched the header already.
    Reader(CLexer& lexer, ReadState& state, eCommand command, const CReadLimits& limits,
           bool headerRead)
        : lexer_(lexer),
          state_(state),
          limits_(limits),
          command_(command),
          headerRead_(headerRead) {}

    // Reads the command into `sink`, holding the source's runs meanwhile and adding where it
    // was to any error.
    template <typename Sink>
    void Run(Sink& sink) {
        lexer_.HoldRuns();
        try {
            Read(sink);
        } catch (CCmdError& error) {
            lexer_.ReleaseRuns();
            AddContext(error);
            throw;
        } catch (...) {
            lexer_.ReleaseRuns();
            throw;
        }
        lexer_.ReleaseRuns();
    }

    void Read(IConnectIn& sink);
    void Read(IConnectOut& sink);
    void Read(IDisconnectIn& sink);
    void Read(IDisconnectOut& sink);
    void Read(IAliveIn& sink);
    void Read(IAliveOut& sink);
    void Read(IShareIn& sink);
    void Read(IShareOut& sink);
    void Read(IUnshareIn& sink);
    void Read(IUnshareOut& sink);
    void Read(IShareDirIn& sink);
    void Read(IShareDirOut& sink);
    void Read(IDirectory& sink);
    void Read(IFindIn& sink);
    void Read(IFindOut& sink);
    void Read(IFriendsIn& sink);
    void Read(IFriendsOut& sink);

    // Adds the command, tag and record being read to an error raised below the reader.
    void AddContext(CCmdError& error) const;

private:
    // The lexer's next token; punctuation, the commonest between values, is taken in place.
    tokens::TOKEN Next();
    void Header();
    // How ReadTagsInPlace stopped: at a tag it could not read, or after a tag and no comma.
    enum class InPlace { kNothing, kTag };

    tokens::TOKEN ReadTagList(TagList& tags);
    InPlace ReadTagsInPlace(TagList& tags, std::size_t& count, tokens::TOKEN& after);
    bool ReadValueInPlace(RunCursor& run, TagList& tags, int slot, std::size_t maxBytes);
    tokens::TOKEN ReadTagAsTokens(TagList& tags, std::size_t count);
    void CopyValue(TagValue& value, tokens::TOKEN kind);
    tokens::TOKEN ReadTag(tokens::TOKEN key, std::uint64_t& value);
    void Expect(tokens::TOKEN read, tokens::TOKEN expected);

    // The values of a list once it is read. A tag without a default is mandatory; so is a word
    // whose default is the "none" value (0) of its enumeration.
    std::uint64_t Retrieve(TagList& tags, tokens::TOKEN tag) {
        return Single(tags, Find(tags, tag), tag).number;
    }
    std::uint64_t Retrieve(TagList& tags, tokens::TOKEN tag, std::uint64_t def) {
        TagValue& value = Find(tags, tag);
        return value.count == 0 ? def : Single(tags, value, tag).number;
    }
    template <typename WordEnum, typename = std::enable_if_t<std::is_enum_v<WordEnum>>>
    WordEnum Retrieve(TagList& tags, tokens::TOKEN tag, WordEnum def) {
        TagValue& value = Find(tags, tag);
        return value.count == 0 && def != WordEnum{}
                   ? def
                   : static_cast<WordEnum>(Single(tags, value, tag).word);
    }
    // A null default marks a string tag as mandatory.
    const std::string& RetrieveA(TagList& tags, tokens::TOKEN tag, const char* def) {
        TagValue& value = Find(tags, tag);
        if (value.count == 0 && def != nullptr) {
            value.narrow = def;
            return value.narrow;
        }
        return Single(tags, value, tag).narrow;
    }
    const wstring& RetrieveW(TagList& tags, tokens::TOKEN tag, const unsigned short* def) {
        TagValue& value = Find(tags, tag);
        if (value.count == 0 && def != nullptr) {
            value.wide = def;
            return value.wide;
        }
        return Single(tags, value, tag).wide;
    }
    // Retrieve of a mandatory number by the slot of its tag.
    std::uint64_t Number(TagList& tags, int slot, tokens::TOKEN tag) {
        return Single(tags, tags.Value(slot), tag).number;
    }

    // A wide-string tag read into its bound field: a missing optional one leaves the field
    // empty.
    void Settle(TagList& tags, int slot, tokens::TOKEN tag, bool mandatory) {
        TagValue& value = tags.Value(slot);
        if (value.count == 1) {
            return;
        }
        if (value.count == 0 && !mandatory) {
            value.boundWide->clear();
            return;
        }
        RefuseCount(tags, value, tag);
    }
    // The entry of `tag`, which the list must declare.
    TagValue& Find(TagList& tags, tokens::TOKEN tag) {
        TagValue* const value = tags.Find(tag);
        if (value == nullptr) {
            RefuseUndeclared(tags, tag);
        }
        return *value;
    }
    // `value`, which must have been given once.
    TagValue& Single(TagList& tags, TagValue& value, tokens::TOKEN tag) {
        if (value.count != 1) {
            RefuseCount(tags, value, tag);
        }
        return value;
    }
    [[noreturn]] void RefuseUndeclared(const TagList& tags, tokens::TOKEN tag) const;
    [[noreturn]] void RefuseCount(const TagList& tags, const TagValue& value,
                                  tokens::TOKEN tag) const;

    void ReadCredentials(IUser& sink);
    void ReadResultOnly(IError& sink);
    void ReadFolderRequest(IUser& sink, std::uint64_t& folder);
    tokens::TOKEN ReadFile(CFileInfo& record, FILE_TYPE_ENUM kind);
    tokens::TOKEN ReadFileType(FILE_TYPE_ENUM& kind);
    tokens::TOKEN ReadFileList(IFile& target);
    tokens::TOKEN ReadSubDir(CSubDirInfo& entry);
    tokens::TOKEN ReadHostTags(CHostInfo& host, bool& online);
    tokens::TOKEN ReadHostList(IHost& sink);
    tokens::TOKEN ReadHostList(IFindOut& sink);
    void SplitAddresses(const std::string& text, std::vector<std::string>& addresses);

    void EnterRecord(const char* kind, std::uint32_t number) {
        record_.kind = kind;
        record_.number = number;
        if (kind != nullptr) {
            CountRecord();
        }
    }
    void CountRecord();

    // The command or record whose list `tags` is.
    const char* Owner(const TagList& tags) const {
        return tags.Table().Where() != nullptr ? tags.Table().Where() : kCommands[command_].name;
    }

    [[noreturn]] void Fail(ErrorCode code, const CTextPosition& at, std::string reason,
                           tokens::TOKEN tag = tokens::NO_TOKEN) const;
    ErrorDetail Context() const;

    CLexer& lexer_;
    ReadState& state_;
    const CReadLimits& limits_;
    eCommand command_;
    bool headerRead_;
    std::size_t records_ = 0;
    tokens::TOKEN tag_ = tokens::NO_TOKEN;  // the tag whose value is being read
    std::string fault_;                     // why the tag being read is refused, once known
    RecordPlace record_;
};

}  // namespace cmds::detail

#endif
