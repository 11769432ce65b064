#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

void CParser::Parse(IDirectory& sink) {
    ParseHeader(KW_DIRECTORY, KW_OUTPUT);
    detail::TagTable tags(kept_->directoryHead);
    // The head is delivered before the token after it is looked at.
    TOKEN token = ParseTagList(tags);
    sink.OnError(detail::ToErrorCode(Retrieve(tags, KW_ERROR)));
    const std::uint64_t id = Retrieve(tags, KW_ID);
    sink.OnDirectoryBegin(RetrieveW(tags, KW_FOLDER, nullptr), id);

    if (token == LPAREN) {
        token = Next();
        while (token == LBRACE || token == LBRACKET) {
            if (token == LBRACE) {
                const detail::Lease<CSubDirInfo> entry(kept_->subDirRecord);
                ExpectToken(ParseSubDir(*entry), RBRACE);
                sink.OnSubDir(*entry);
            } else {
                const detail::Lease<CFileInfo> record(kept_->file);
                ExpectToken(ParseFile(*record, FILE_PLUS), RBRACKET);
                sink.OnFile(FILE_PLUS, *record);
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
    detail::TagTable tags(kept_->subDir);
    const TOKEN next = ParseTagList(tags);
    TakeW(tags, KW_FILE, nullptr, entry.file);
    entry.folder = Retrieve(tags, KW_FOLDER);
    entry.id = Retrieve(tags, KW_ID);
    entry.isProtected = detail::IsYes(Retrieve(tags, KW_PROTECTED, C_NO));
    return next;
}

}  // namespace cmds
