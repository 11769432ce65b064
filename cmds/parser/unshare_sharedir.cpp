#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

// A request about one folder: OnUser is made before the folder is fetched.
void CParser::ParseFolderRequest(IUser& sink, TOKEN verb, std::uint64_t& folder) {
    ParseHeader(verb, KW_INPUT);
    detail::TagTable tags(kept_->folderRequest);
    ExpectToken(ParseTagList(tags), SEMICOLON);

    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);
    folder = Retrieve(tags, KW_FOLDER);
}

void CParser::Parse(IUnshareIn& sink) {
    std::uint64_t folder = 0;
    ParseFolderRequest(sink, KW_UNSHARE, folder);
    sink.OnUnShareIn(folder);
}

void CParser::Parse(IShareDirIn& sink) {
    std::uint64_t folder = 0;
    ParseFolderRequest(sink, KW_SHAREDIR, folder);
    sink.OnShareDirIn(folder);
}

// Unlike the other result-only replies, OnError comes before the token after the code is checked.
void CParser::Parse(IUnshareOut& sink) {
    ParseHeader(KW_UNSHARE, KW_OUTPUT);
    std::uint64_t error = 0;
    const TOKEN next = ParseTag(KW_ERROR, error);
    sink.OnError(detail::ToErrorCode(error));
    ExpectToken(next, SEMICOLON);
}

void CParser::Parse(IShareDirOut& sink) {
    ParseHeader(KW_SHAREDIR, KW_OUTPUT);
    detail::TagTable tags(kept_->shareDirOut);
    ExpectToken(ParseTagList(tags), SEMICOLON);

    sink.OnError(detail::ToErrorCode(Retrieve(tags, KW_ERROR)));
    sink.OnShareDirOut(Retrieve(tags, KW_FOLDER));
}

}  // namespace cmds
