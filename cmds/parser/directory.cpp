#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

namespace {

constexpr TagTable kDirectoryHeadTags({{KW_ERROR, NUMBER}, {KW_FOLDER, WSTRING}, {KW_ID, NUMBER}});
constexpr TagTable kSubDirTags("a subfolder record", {{KW_FOLDER, NUMBER},
                                                      {KW_ID, NUMBER},
                                                      {KW_FILE, WSTRING},
                                                      {KW_PROTECTED, C_VALUE}});

}  // namespace

void Reader::Read(IDirectory& sink) {
    Header();
    TOKEN token = NO_TOKEN;
    {
        TagList tags(state_, kDirectoryHeadTags);
        // The head is delivered before the token after it is looked at.
        token = ReadTagList(tags);
        sink.OnError(ToErrorCode(Retrieve(tags, KW_ERROR)));
        const std::uint64_t id = Retrieve(tags, KW_ID);
        sink.OnDirectoryBegin(RetrieveW(tags, KW_FOLDER, nullptr), id);
    }
    if (token == LPAREN) {
        token = Next();
        std::uint32_t subFolders = 0;
        std::uint32_t files = 0;
        while (token == LBRACE || token == LBRACKET) {
            if (token == LBRACE) {
                EnterRecord("subfolder", ++subFolders);
                const Lease<CSubDirInfo> entry(state_.subDir);
                Expect(ReadSubDir(*entry), RBRACE);
                sink.OnSubDir(*entry);
            } else {
                EnterRecord("file", ++files);
                const Lease<CFileInfo> record(state_.file);
                Expect(ReadFile(*record, FILE_PLUS), RBRACKET);
                sink.OnFile(FILE_PLUS, *record);
            }
            token = Next();
        }
        EnterRecord(nullptr, 0);
        Expect(token, RPAREN);
        token = Next();
    }
    Expect(token, SEMICOLON);
}

// Reads the tags of one sub-folder entry; the caller has consumed "{" and checks for "}".
TOKEN Reader::ReadSubDir(CSubDirInfo& entry) {
    constexpr int kFileSlot = kSubDirTags.SlotOf(KW_FILE);
    TagList tags(state_, kSubDirTags);
    tags.Bind(kFileSlot, entry.file);
    const TOKEN next = ReadTagList(tags);
    Settle(tags, kFileSlot, KW_FILE, true);
    entry.folder = Retrieve(tags, KW_FOLDER);
    entry.id = Retrieve(tags, KW_ID);
    entry.isProtected = IsYes(Retrieve(tags, KW_PROTECTED, C_NO));
    return next;
}

}  // namespace cmds::detail
