#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
namespace {

constexpr tokens::TOKEN kDisconnectInHeader[] = {tokens::KW_DISCONNECT, tokens::KW_INPUT};
constexpr tokens::TOKEN kDisconnectOutHeader[] = {tokens::KW_DISCONNECT, tokens::KW_OUTPUT};
constexpr tokens::TOKEN kAliveInHeader[] = {tokens::KW_ALIVE, tokens::KW_INPUT};
constexpr tokens::TOKEN kAliveOutHeader[] = {tokens::KW_ALIVE, tokens::KW_OUTPUT};

}  // namespace

void CGenerator::GenerateDisconnectIn(std::uint64_t user, const wstring& pwd) {
    const Batch batch(*this);
    Generate(kDisconnectInHeader, 2);
    GenerateUser(user, pwd);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateDisconnectOut(tagERROR_CODE error) {
    const Batch batch(*this);
    Generate(kDisconnectOutHeader, 2);
    GenerateErrorTag(error);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateAliveIn(std::uint64_t user, const wstring& pwd) {
    const Batch batch(*this);
    Generate(kAliveInHeader, 2);
    GenerateUser(user, pwd);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateAliveOut(tagERROR_CODE error) {
    const Batch batch(*this);
    Generate(kAliveOutHeader, 2);
    GenerateErrorTag(error);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
