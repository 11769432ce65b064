#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
// In the head `folder` is the listed folder's name; in the entries it is a folder number.
void CGenerator::GenerateDirectoryBegin(tagERROR_CODE error, const wstring& folder,
                                        std::uint64_t id) {
    const Batch batch(*this);
    GenerateHeader(eCommandDirectory);
    GenerateErrorTag(error);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_ID, id);
    GenerateBreak(2);
    Generate(tokens::LPAREN);
}

void CGenerator::GenerateSubDir(std::uint64_t folder, std::uint64_t id, const wstring& file,
                                bool isProtected) {
    const Batch batch(*this);
    GenerateBreak(3);
    Generate(tokens::LBRACE);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_ID, id);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FILE, file);
    Generate(tokens::COMMA);
    GenerateFlagTag(tokens::KW_PROTECTED, isProtected);
    Generate(tokens::RBRACE);
}

void CGenerator::GenerateSubDir(const CSubDirInfo& entry) {
    const Batch batch(*this);
    GenerateSubDir(entry.folder, entry.id, entry.file, entry.isProtected);
}

void CGenerator::GenerateDirectoryEnd() {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::RPAREN);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
