#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
void CGenerator::GenerateDisconnectIn(std::uint64_t user, const wstring& pwd) {
    const Batch batch(*this);
    GenerateHeader(eCommandDisconnectIn);
    GenerateUser(user, pwd);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateDisconnectOut(tagERROR_CODE error) {
    const Batch batch(*this);
    GenerateHeader(eCommandDisconnectOut);
    GenerateErrorTag(error);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateAliveIn(std::uint64_t user, const wstring& pwd) {
    const Batch batch(*this);
    GenerateHeader(eCommandAliveIn);
    GenerateUser(user, pwd);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateAliveOut(tagERROR_CODE error) {
    const Batch batch(*this);
    GenerateHeader(eCommandAliveOut);
    GenerateErrorTag(error);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
