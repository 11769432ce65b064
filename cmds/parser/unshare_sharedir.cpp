#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kFolderRequestTags({{KW_USER, NUMBER}, {KW_PWD, STRING}, {KW_FOLDER, NUMBER}});
constexpr TagTable kShareDirOutTags({{KW_ERROR, NUMBER}, {KW_FOLDER, NUMBER}});

}  // namespace

// A request about one folder: OnUser is made before the folder is fetched.
void Reader::ReadFolderRequest(IUser& sink, std::uint64_t& folder) {
    Header();
    TagList tags(state_, kFolderRequestTags);
    Expect(ReadTagList(tags), SEMICOLON);
    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);
    folder = Retrieve(tags, KW_FOLDER);
}

void Reader::Read(IUnshareIn& sink) {
    std::uint64_t folder = 0;
    ReadFolderRequest(sink, folder);
    sink.OnUnShareIn(folder);
}

void Reader::Read(IShareDirIn& sink) {
    std::uint64_t folder = 0;
    ReadFolderRequest(sink, folder);
    sink.OnShareDirIn(folder);
}

// Unlike the other result-only replies, OnError comes before the token after the code is checked.
void Reader::Read(IUnshareOut& sink) {
    Header();
    std::uint64_t error = 0;
    const TOKEN next = ReadTag(KW_ERROR, error);
    sink.OnError(ToErrorCode(error));
    Expect(next, SEMICOLON);
}

void Reader::Read(IShareDirOut& sink) {
    Header();
    TagList tags(state_, kShareDirOutTags);
    Expect(ReadTagList(tags), SEMICOLON);
    sink.OnError(ToErrorCode(Retrieve(tags, KW_ERROR)));
    sink.OnShareDirOut(Retrieve(tags, KW_FOLDER));
}

}  // namespace cmds::detail
