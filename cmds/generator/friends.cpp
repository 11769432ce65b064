#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
void CGenerator::GenerateFriendsInBegin(std::uint64_t user, const wstring& pwd) {
    const Batch batch(*this);
    GenerateHeader(eCommandFriendsIn);
    GenerateUser(user, pwd);
    GenerateBreak(1);
    Generate(tokens::LBRACE);
}

void CGenerator::GenerateFriend(std::uint64_t id) {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::LPAREN);
    GenerateTag(tokens::KW_ID, id);
    Generate(tokens::RPAREN);
}

void CGenerator::GenerateFriend(std::uint64_t id, const wstring& host, const std::string& address,
                                unsigned short port, bool online) {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::LPAREN);
    GenerateTag(tokens::KW_ID, id);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_HOST, host);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_ADDRESS, address);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_PORT, static_cast<std::uint64_t>(port));
    Generate(tokens::COMMA);
    GenerateFlagTag(tokens::KW_ONLINE, online);
    Generate(tokens::RPAREN);
}

// Both FRIENDS lists close one level deeper than the other commands' outer lists.
void CGenerator::GenerateFriendsInEnd() {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::RBRACE);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateFriendsOutBegin(tagERROR_CODE error) {
    const Batch batch(*this);
    GenerateHeader(eCommandFriendsOut);
    GenerateErrorTag(error);
    GenerateBreak(1);
    Generate(tokens::LBRACE);
}

void CGenerator::GenerateFriendsOutEnd() {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::RBRACE);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
