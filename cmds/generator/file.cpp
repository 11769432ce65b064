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

// Each record is one piece, for which RecordRoom makes room at once.
void CGenerator::GenerateFile(const CFileInfo& record, bool indent) {
    const Batch batch(*this);
    char* const out = RecordRoom(record);
    GenerateRecordBody(record, true, indent ? PutBreak(out, 3) : out);
}

// Only a "+" record carries more than its key; any kind without a marker of its own is
// written as "+".
void CGenerator::GenerateFile(FILE_TYPE_ENUM kind, const CFileInfo& record) {
    const Batch batch(*this);
    const tokens::TOKEN marker = MarkerOf(kind);
    GenerateRecordBody(record, marker == tokens::PLUS,
                       Put(PutBreak(RecordRoom(record), 3), marker));
}

// Room for a break, a marker, the brackets, the three numbers and every text, each after a comma.
char* CGenerator::RecordRoom(const CFileInfo& record) {
    constexpr std::size_t kNumbers = 3;
    const wstring* const texts[] = {&record.file,     &record.ext,      &record.keywords,
                                    &record.author,   &record.subject,  &record.manager,
                                    &record.company,  &record.comments, &record.title,
                                    &record.category, &record.creator,  &record.type};
    std::size_t room = sizeof detail::kBreak + 3 * detail::kTokenRoom +
                       kNumbers * (detail::kTokenRoom + detail::kTagRoom);
    // The texts lie apart from the record and from each other: their first bytes are fetched
    // all at once here rather than one after another as each is written.
    for (const wstring* text : texts) {
        detail::Prefetch(text->data());
        room += detail::kTokenRoom + detail::TextTagRoom(text->size());
    }
    return Room(room);
}

// Writes the record from `out` on and ends the piece. `ext` belongs with the name, ahead of the
// size; the other texts follow the size.
void CGenerator::GenerateRecordBody(const CFileInfo& record, bool full, char* out) {
    out = PutTag(Put(out, tokens::LBRACKET), tokens::KW_FOLDER, record.folder);
    out = PutTag(Put(out, tokens::COMMA), tokens::KW_ID, record.id);
    if (full) {
        out = PutTag(Put(out, tokens::COMMA), tokens::KW_FILE, record.file);
        out = PutTagComma(out, tokens::KW_EXT, record.ext);
        out = PutTag(Put(out, tokens::COMMA), tokens::KW_SIZE, record.size);
        out = PutTagComma(out, tokens::KW_KEYWORDS, record.keywords);
        out = PutTagComma(out, tokens::KW_AUTHOR, record.author);
        out = PutTagComma(out, tokens::KW_SUBJECT, record.subject);
        out = PutTagComma(out, tokens::KW_MANAGER, record.manager);
        out = PutTagComma(out, tokens::KW_COMPANY, record.company);
        out = PutTagComma(out, tokens::KW_COMMENTS, record.comments);
        out = PutTagComma(out, tokens::KW_TITLE, record.title);
        out = PutTagComma(out, tokens::KW_CATEGORY, record.category);
        out = PutTagComma(out, tokens::KW_CREATOR, record.creator);
        out = PutTagComma(out, tokens::KW_TYPE, record.type);
    }
    EndPiece(Put(out, tokens::RBRACKET));
}

}  // namespace cmds
