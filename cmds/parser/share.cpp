#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

void CParser::Parse(IShareIn& sink) {
    ParseHeader(KW_SHARE, KW_INPUT);
    detail::TagTable tags(kept_->credentials);
    ExpectToken(ParseTagList(tags), LBRACE);

    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);

    ExpectToken(ParseFileList(sink), RBRACE);
    ExpectToken(Next(), SEMICOLON);
}

void CParser::Parse(IShareOut& sink) {
    ParseHeader(KW_SHARE, KW_OUTPUT);
    std::uint64_t error = 0;
    TOKEN token = ParseTag(KW_ERROR, error);
    sink.OnError(detail::ToErrorCode(error));

    if (token == LBRACE) {
        token = Next();
        while (token == LBRACKET) {
            detail::TagTable tags(kept_->shareOutFile);
            ExpectToken(ParseTagList(tags), RBRACKET);
            const std::uint64_t folder = Retrieve(tags, KW_FOLDER);
            const auto id = static_cast<std::uint32_t>(Retrieve(tags, KW_ID));
            const tagERROR_CODE fileError = detail::ToErrorCode(Retrieve(tags, KW_ERROR));
            sink.OnShareOutFile(fileError, id, folder);
            token = Next();
        }
        ExpectToken(token, RBRACE);
        token = Next();
    }
    ExpectToken(token, SEMICOLON);
}

}  // namespace cmds
