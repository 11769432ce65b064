#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {
void CGenerator::GenerateConnectIn(std::uint64_t user, const wstring& pwd,
                                   const std::string& address, unsigned short port,
                                   const wstring& host, bool browsable, bool httpproxy,
                                   bool socksproxy) {
    const Batch batch(*this);
    GenerateHeader(eCommandConnectIn);
    GenerateUser(user, pwd);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_HOST, host);
    GenerateTagComma(tokens::KW_ADDRESS, address);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_PORT, static_cast<std::uint64_t>(port));
    Generate(tokens::COMMA);
    GenerateFlagTag(tokens::KW_BROWSABLE, browsable);
    Generate(tokens::COMMA);
    GenerateFlagTag(tokens::KW_HTTPPROXY, httpproxy);
    Generate(tokens::COMMA);
    GenerateFlagTag(tokens::KW_SOCKSPROXY, socksproxy);
    Generate(tokens::SEMICOLON);
}

void CGenerator::GenerateConnectOut(tagERROR_CODE error, std::uint64_t file) {
    const Batch batch(*this);
    GenerateHeader(eCommandConnectOut);
    GenerateErrorTag(error);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_FILE, file);
    Generate(tokens::SEMICOLON);
}

}  // namespace cmds
