#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
void CGenerator::GenerateUnShareIn(std::uint64_t user, const wstring& pwd, std::uint64_t folder) {
    const Batch batch(*this);
    GenerateHeader(eCommandUnshareIn);
    GenerateUser(user, pwd);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateUnShareOut(tagERROR_CODE error) {
    const Batch batch(*this);
    GenerateHeader(eCommandUnshareOut);
    GenerateErrorTag(error);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateShareDirIn(std::uint64_t user, const wstring& pwd, std::uint64_t folder) {
    const Batch batch(*this);
    GenerateHeader(eCommandShareDirIn);
    GenerateUser(user, pwd);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateShareDirOut(tagERROR_CODE error, std::uint64_t folder) {
    const Batch batch(*this);
    GenerateHeader(eCommandShareDirOut);
    GenerateErrorTag(error);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
