#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
namespace {

tokens::TOKEN MarkerOf(FILE_TYPE_ENUM kind) {
    switch (kind) {
        case FILE_MINUS:
            return tokens::MINUS;
        case FILE_STAR:
            return tokens::STAR;
        default:
            return tokens::PLUS;
    }
}

}  // namespace

void CGenerator::GenerateFile(const CFileInfo& record, bool indent) {
    const Batch batch(*this);
    if (indent) {
        GenerateBreak(3);
    }
    GenerateRecordBody(record, true);
}

// Only a "+" record carries more than its key; any kind without a marker of its own is
// written as "+".
void CGenerator::GenerateFile(FILE_TYPE_ENUM kind, const CFileInfo& record) {
    const Batch batch(*this);
    const tokens::TOKEN marker = MarkerOf(kind);
    GenerateBreak(3);
    Generate(marker);
    GenerateRecordBody(record, marker == tokens::PLUS);
}

// `ext` belongs with the name, ahead of the size; the other texts follow the size.
void CGenerator::GenerateRecordBody(const CFileInfo& record, bool full) {
    Generate(tokens::LBRACKET);
    GenerateTag(tokens::KW_FOLDER, record.folder);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_ID, record.id);
    if (full) {
        Generate(tokens::COMMA);
        GenerateTag(tokens::KW_FILE, record.file);
        GenerateTagComma(tokens::KW_EXT, record.ext);
        Generate(tokens::COMMA);
        GenerateTag(tokens::KW_SIZE, record.size);
        GenerateTagComma(tokens::KW_KEYWORDS, record.keywords);
        GenerateTagComma(tokens::KW_AUTHOR, record.author);
        GenerateTagComma(tokens::KW_SUBJECT, record.subject);
        GenerateTagComma(tokens::KW_MANAGER, record.manager);
        GenerateTagComma(tokens::KW_COMPANY, record.company);
        GenerateTagComma(tokens::KW_COMMENTS, record.comments);
        GenerateTagComma(tokens::KW_TITLE, record.title);
        GenerateTagComma(tokens::KW_CATEGORY, record.category);
        GenerateTagComma(tokens::KW_CREATOR, record.creator);
        GenerateTagComma(tokens::KW_TYPE, record.type);
    }
    Generate(tokens::RBRACKET);
}

}  // namespace cmds
