#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

void CParser::Parse(IDirectory& sink) {
    ParseHeader(KW_DIRECTORY, KW_OUTPUT);
    TagMap tags;
    Declare(tags, {{KW_ERROR, NUMBER}, {KW_FOLDER, WSTRING}, {KW_ID, NUMBER}});
    // The head is delivered before the token after it is looked at.
    TOKEN token = ParseTagList(tags);
    sink.OnError(detail::ToErrorCode(Retrieve(tags, KW_ERROR)));
    const std::uint64_t id = Retrieve(tags, KW_ID);
    sink.OnDirectoryBegin(RetrieveW(tags, KW_FOLDER, nullptr), id);

    if (token == LPAREN) {
        token = Next();
        while (token == LBRACE || token == LBRACKET) {
            if (token == LBRACE) {
                CSubDirInfo entry;
                ExpectToken(ParseSubDir(entry), RBRACE);
                sink.OnSubDir(entry);
            } else {
                CFileInfo record;
                ExpectToken(ParseFile(record, FILE_PLUS), RBRACKET);
                sink.OnFile(FILE_PLUS, record);
            }
            token = Next();
        }
        ExpectToken(token, RPAREN);
        token = Next();
    }
    ExpectToken(token, SEMICOLON);
}

// Reads the tags of one sub-folder entry; the caller has consumed "{" and checks for "}".
TOKEN CParser::ParseSubDir(CSubDirInfo& entry) {
    TagMap tags;
    Declare(tags,
            {{KW_FILE, WSTRING}, {KW_FOLDER, NUMBER}, {KW_ID, NUMBER}, {KW_PROTECTED, C_VALUE}});
    const TOKEN next = ParseTagList(tags);
    entry.file = RetrieveW(tags, KW_FILE, nullptr);
    entry.folder = Retrieve(tags, KW_FOLDER);
    entry.id = Retrieve(tags, KW_ID);
    entry.isProtected = detail::IsYes(Retrieve(tags, KW_PROTECTED, C_NO));
    return next;
}

}  // namespace cmds
