#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kFullFileTags("a file record", {{KW_FOLDER, NUMBER},
                                                   {KW_ID, NUMBER},
                                                   {KW_FILE, WSTRING},
                                                   {KW_SIZE, NUMBER},
                                                   {KW_KEYWORDS, WSTRING},
                                                   {KW_EXT, WSTRING},
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

}  // namespace

// Reads the tags of one record body; the caller has consumed "[" and checks for "]". Key-only
// kinds admit folder and id alone and leave the other fields untouched.
TOKEN Reader::ReadFile(CFileInfo& record, FILE_TYPE_ENUM kind) {
    const bool full = kind == FILE_PLUS;
    TagList tags(state_, full ? kFullFileTags : kKeyFileTags);
    const TOKEN next = ReadTagList(tags);

    record.folder = Retrieve(tags, KW_FOLDER);
    record.id = Retrieve(tags, KW_ID);
    if (full) {
        record.size = Retrieve(tags, KW_SIZE);
        TakeW(tags, KW_FILE, nullptr, record.file);
        const std::pair<TOKEN, wstring CFileInfo::*> texts[] = {
            {KW_KEYWORDS, &CFileInfo::keywords}, {KW_EXT, &CFileInfo::ext},
            {KW_AUTHOR, &CFileInfo::author},     {KW_SUBJECT, &CFileInfo::subject},
            {KW_MANAGER, &CFileInfo::manager},   {KW_COMPANY, &CFileInfo::company},
            {KW_COMMENTS, &CFileInfo::comments}, {KW_TITLE, &CFileInfo::title},
            {KW_CATEGORY, &CFileInfo::category}, {KW_CREATOR, &CFileInfo::creator},
            {KW_TYPE, &CFileInfo::type}};
        for (const auto& [tag, field] : texts) {
            TakeW(tags, tag, kNoWideText, record.*field);
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
