#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
namespace {

constexpr tokens::TOKEN kUnShareInHeader[] = {tokens::KW_UNSHARE, tokens::KW_INPUT};
constexpr tokens::TOKEN kUnShareOutHeader[] = {tokens::KW_UNSHARE, tokens::KW_OUTPUT};
constexpr tokens::TOKEN kShareDirInHeader[] = {tokens::KW_SHAREDIR, tokens::KW_INPUT};
constexpr tokens::TOKEN kShareDirOutHeader[] = {tokens::KW_SHAREDIR, tokens::KW_OUTPUT};

}  // namespace

void CGenerator::GenerateUnShareIn(std::uint64_t user, const wstring& pwd, std::uint64_t folder) {
    const Batch batch(*this);
    Generate(kUnShareInHeader, 2);
    GenerateUser(user, pwd);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateUnShareOut(tagERROR_CODE error) {
    const Batch batch(*this);
    Generate(kUnShareOutHeader, 2);
    GenerateErrorTag(error);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateShareDirIn(std::uint64_t user, const wstring& pwd, std::uint64_t folder) {
    const Batch batch(*this);
    Generate(kShareDirInHeader, 2);
    GenerateUser(user, pwd);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateShareDirOut(tagERROR_CODE error, std::uint64_t folder) {
    const Batch batch(*this);
    Generate(kShareDirOutHeader, 2);
    GenerateErrorTag(error);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FOLDER, folder);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
