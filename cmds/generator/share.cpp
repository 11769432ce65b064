#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
namespace {

constexpr tokens::TOKEN kShareInHeader[] = {tokens::KW_SHARE, tokens::KW_INPUT};
constexpr tokens::TOKEN kShareOutHeader[] = {tokens::KW_SHARE, tokens::KW_OUTPUT};

}  // namespace

void CGenerator::GenerateShareInBegin(std::uint64_t user, const wstring& pwd) {
    const Batch batch(*this);
    Generate(kShareInHeader, 2);
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
    Generate(kShareOutHeader, 2);
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
