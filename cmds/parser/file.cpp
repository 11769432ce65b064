#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kFullFileTags("a file record", {{KW_FOLDER, NUMBER},
                                                   {KW_ID, NUMBER},
                                                   {KW_FILE, WSTRING},
                                                   {KW_EXT, WSTRING},
                                                   {KW_SIZE, NUMBER},
                                                   {KW_KEYWORDS, WSTRING},
                                                   {KW_AUTHOR, WSTRING},
                                                   {KW_SUBJECT, WSTRING},
                                                   {KW_MANAGER, WSTRING},
                                                   {KW_COMPANY, WSTRING},
                                                   {KW_COMMENTS, WSTRING},
                                                   {KW_TITLE, WSTRING},
                                                   {KW_CATEGORY, WSTRING},
                                                   {KW_CREATOR, WSTRING},
                                                   {KW_TYPE, WSTRING}});
constexpr TagTable kKeyFileTags("a key-only file record", {{KW_FOLDER, NUMBER}, {KW_ID, NUMBER}});

constexpr int kFolderSlot = kFullFileTags.SlotOf(KW_FOLDER);
constexpr int kIdSlot = kFullFileTags.SlotOf(KW_ID);
constexpr int kSizeSlot = kFullFileTags.SlotOf(KW_SIZE);
static_assert(kKeyFileTags.SlotOf(KW_FOLDER) == kFolderSlot &&
              kKeyFileTags.SlotOf(KW_ID) == kIdSlot);

// A wide field of a full record, read straight into the record.
struct WideField {
    TOKEN tag;
    wstring CFileInfo::*field;
    int slot;
};

constexpr WideField Wide(TOKEN tag, wstring CFileInfo::*field) {
    return {tag, field, kFullFileTags.SlotOf(tag)};
}

// In the order in which their faults are looked for; the file name alone is mandatory.
constexpr WideField kWideFields[] = {
    Wide(KW_FILE, &CFileInfo::file),       Wide(KW_KEYWORDS, &CFileInfo::keywords),
    Wide(KW_EXT, &CFileInfo::ext),         Wide(KW_AUTHOR, &CFileInfo::author),
    Wide(KW_SUBJECT, &CFileInfo::subject), Wide(KW_MANAGER, &CFileInfo::manager),
    Wide(KW_COMPANY, &CFileInfo::company), Wide(KW_COMMENTS, &CFileInfo::comments),
    Wide(KW_TITLE, &CFileInfo::title),     Wide(KW_CATEGORY, &CFileInfo::category),
    Wide(KW_CREATOR, &CFileInfo::creator), Wide(KW_TYPE, &CFileInfo::type)};

}  // namespace

// Reads the tags of one record body; the caller has consumed "[" and checks for "]". Key-only
// kinds admit folder and id alone and leave the other fields untouched.
TOKEN Reader::ReadFile(CFileInfo& record, FILE_TYPE_ENUM kind) {
    const bool full = kind == FILE_PLUS;
    TagList tags(state_, full ? kFullFileTags : kKeyFileTags);
    if (full) {
        for (const WideField& wide : kWideFields) {
            tags.Bind(wide.slot, record.*wide.field);
        }
    }
    const TOKEN next = ReadTagList(tags);

    // The key-only table holds folder and id in the full table's slots.
    record.folder = Number(tags, kFolderSlot, KW_FOLDER);
    record.id = Number(tags, kIdSlot, KW_ID);
    if (full) {
        record.size = Number(tags, kSizeSlot, KW_SIZE);
        for (const WideField& wide : kWideFields) {
            Settle(tags, wide.slot, wide.tag, wide.tag == KW_FILE);
        }
    }
    return next;
}

// An optional marker; without one the record is full.
TOKEN Reader::ReadFileType(FILE_TYPE_ENUM& kind) {
    TOKEN token = Next();
    kind = FILE_PLUS;
    switch (token) {
        case PLUS:
            token = Next();
            break;
        case MINUS:
            kind = FILE_MINUS;
            token = Next();
            break;
        case STAR:
            kind = FILE_STAR;
            token = Next();
            break;
        default:
            break;
    }
    return token;
}

// An optional "(" list of marked records ")"; returns the token after it, or the token read in
// place of "(" when there is no list.
TOKEN Reader::ReadFileList(IFile& target) {
    TOKEN token = Next();
    if (token != LPAREN) {
        return token;
    }
    FILE_TYPE_ENUM kind = FILE_PLUS;
    token = ReadFileType(kind);
    for (std::uint32_t number = 1; token == LBRACKET; ++number) {
        EnterRecord("file", number);
        const Lease<CFileInfo> record(state_.file);
        // A key-only record leaves every other field as a new record has it.
        if (kind != FILE_PLUS) {
            Clear(*record);
        }
        Expect(ReadFile(*record, kind), RBRACKET);
        target.OnFile(kind, *record);
        token = ReadFileType(kind);
    }
    EnterRecord(nullptr, 0);
    Expect(token, RPAREN);
    return Next();
}

}  // namespace cmds::detail
