#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
void CGenerator::GenerateShareInBegin(std::uint64_t user, const wstring& pwd) {
    const Batch batch(*this);
    GenerateHeader(eCommandShareIn);
    GenerateUser(user, pwd);
    GenerateBreak(1);
    Generate(tokens::LBRACE);
    GenerateBreak(2);
    Generate(tokens::LPAREN);
}

void CGenerator::GenerateShareInEnd() {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::RPAREN);
    GenerateBreak(1);
    Generate(tokens::RBRACE);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateShareOutBegin(tagERROR_CODE error) {
    const Batch batch(*this);
    GenerateHeader(eCommandShareOut);
    GenerateErrorTag(error);
    GenerateBreak(1);
    Generate(tokens::LBRACE);
}

void CGenerator::GenerateShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::LBRACKET);
    GenerateErrorTag(error);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_ID, static_cast<std::uint64_t>(id));
    Generate(tokens::RBRACKET);
}

void CGenerator::GenerateShareOutEnd() {
    const Batch batch(*this);
    GenerateBreak(1);
    Generate(tokens::RBRACE);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
