#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kShareOutFileTags("a file result",
                                     {{KW_ERROR, NUMBER}, {KW_FOLDER, NUMBER}, {KW_ID, NUMBER}});

}  // namespace

void Reader::Read(IShareIn& sink) {
    Header();
    {
        TagList tags(state_, kCredentialTags);
        Expect(ReadTagList(tags), LBRACE);
        const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
        sink.OnUser(Retrieve(tags, KW_USER), pwd);
    }
    Expect(ReadFileList(sink), RBRACE);
    Expect(Next(), SEMICOLON);
}

void Reader::Read(IShareOut& sink) {
    Header();
    std::uint64_t error = 0;
    TOKEN token = ReadTag(KW_ERROR, error);
    sink.OnError(ToErrorCode(error));
    if (token == LBRACE) {
        token = Next();
        for (std::uint32_t number = 1; token == LBRACKET; ++number) {
            EnterRecord("file result", number);
            TagList tags(state_, kShareOutFileTags);
            Expect(ReadTagList(tags), RBRACKET);
            const std::uint64_t folder = Retrieve(tags, KW_FOLDER);
            const auto id = static_cast<std::uint32_t>(Retrieve(tags, KW_ID));
            const tagERROR_CODE fileError = ToErrorCode(Retrieve(tags, KW_ERROR));
            sink.OnShareOutFile(fileError, id, folder);
            token = Next();
        }
        EnterRecord(nullptr, 0);
        Expect(token, RBRACE);
        token = Next();
    }
    Expect(token, SEMICOLON);
}

}  // namespace cmds::detail
