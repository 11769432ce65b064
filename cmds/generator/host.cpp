#include "cmds/generator/generator.h"
#include "cmds/generator/generator_internal.h"

namespace cmds {

// The record stays open: the host's files follow, then GenerateHostEnd. `online` is never
// written, so a reader takes every such host as online.
void CGenerator::GenerateHostBegin(std::uint64_t id, const wstring& host, const wstring& user,
                                   const wstring& nick, const std::string& address,
                                   unsigned short port) {
    const Batch batch(*this);
    char* out = Room(sizeof detail::kBreak + detail::kTokenRoom + detail::kTagRoom +
                     3 * detail::kTokenRoom + detail::TextTagRoom(host.size()) +
                     detail::TextTagRoom(user.size()) + detail::TextTagRoom(nick.size()));
    out = PutTag(Put(PutBreak(out, 2), tokens::LPAREN), tokens::KW_ID, id);
    out = PutTag(Put(out, tokens::COMMA), tokens::KW_HOST, host);
    out = PutTagComma(out, tokens::KW_USER, user);
    EndPiece(PutTagComma(out, tokens::KW_NICK, nick));
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_ADDRESS, address);
    Generate(tokens::COMMA);
    GenerateTag(tokens::KW_PORT, static_cast<std::uint64_t>(port));
}

void CGenerator::GenerateHostEnd() {
    const Batch batch(*this);
    GenerateBreak(2);
    Generate(tokens::RPAREN);
}

void CGenerator::GenerateAddressVect(const std::vector<std::string>& addresses, std::string& text) {
    for (const std::string& address : addresses) {
        text += address;
        text += ';';
    }
}

}  // namespace cmds
