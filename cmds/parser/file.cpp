#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

// Reads the tags of one record body; the caller has consumed "[" and checks for "]". Key-only
// kinds admit folder and id alone and leave the other fields untouched.
TOKEN CParser::ParseFile(CFileInfo& record, FILE_TYPE_ENUM kind) {
    const bool full = kind == FILE_PLUS;
    detail::TagTable tags(full ? kept_->fullFile : kept_->keyFile);
    const TOKEN next = ParseTagList(tags);

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
            TakeW(tags, tag, detail::kNoWideText, record.*field);
        }
    }
    return next;
}

// An optional marker; without one the record is full.
TOKEN CParser::ParseFileType(FILE_TYPE_ENUM& kind) {
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
TOKEN CParser::ParseFileList(IFile& target) {
    TOKEN token = Next();
    if (token != LPAREN) {
        return token;
    }
    FILE_TYPE_ENUM kind = FILE_PLUS;
    token = ParseFileType(kind);
    while (token == LBRACKET) {
        const detail::Lease<CFileInfo> record(kept_->file);
        // A key-only record leaves every other field as a new record has it.
        if (kind != FILE_PLUS) {
            detail::Clear(*record);
        }
        ExpectToken(ParseFile(*record, kind), RBRACKET);
        target.OnFile(kind, *record);
        token = ParseFileType(kind);
    }
    ExpectToken(token, RPAREN);
    return Next();
}

}  // namespace cmds
