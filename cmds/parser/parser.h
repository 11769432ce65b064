/// @file
/// The reader of the command language: one Parse overload per command and direction.
#ifndef CMDS_PARSER_PARSER_H
#define CMDS_PARSER_PARSER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cmds/export.h"
#include "cmds/interfaces/callbacks.h"
#include "cmds/interfaces/records.h"
#include "cmds/lexer/lexer.h"
#include "cmds/lexer/lexer_stream.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

namespace detail {
class TagMap;
struct TagValue;
struct ReadState;
}  // namespace detail

/// Reads commands in sequence from one source. The host calls the Parse overload of the command
/// it expects next; Parse reads that command up to and including its ";", making each callback
/// as soon as its values are read. On a fault Parse throws one of the error types (callbacks
/// already made stay made); errors of the source and exceptions from callbacks pass through.
class CMDS_API CParser {
public:
    explicit CParser(CLexerStream& source);
    virtual ~CParser();

    CParser(const CParser&) = delete;
    CParser& operator=(const CParser&) = delete;

    void Parse(IConnectIn& sink);
    void Parse(IConnectOut& sink);
    void Parse(IDisconnectIn& sink);
    void Parse(IDisconnectOut& sink);
    void Parse(IAliveIn& sink);
    void Parse(IAliveOut& sink);
    void Parse(IShareIn& sink);
    void Parse(IShareOut& sink);
    void Parse(IUnshareIn& sink);
    void Parse(IUnshareOut& sink);
    void Parse(IShareDirIn& sink);
    void Parse(IShareDirOut& sink);
    void Parse(IDirectory& sink);
    void Parse(IFindIn& sink);
    void Parse(IFindOut& sink);
    void Parse(IFriendsIn& sink);
    void Parse(IFriendsOut& sink);

private:
    /// Tag tables and values, see parser_internal.h.
    using TagMap = detail::TagMap;
    using TagValue = detail::TagValue;

    tokens::TOKEN Next();
    void ParseHeader(tokens::TOKEN verb, tokens::TOKEN direction);
    void Match(const tokens::TOKEN* read, const tokens::TOKEN* expected, int count);
    tokens::TOKEN ParseTagList(TagMap& tags);
    void CopyValue(TagValue& value);
    tokens::TOKEN ParseTag(tokens::TOKEN key, std::uint64_t& value);
    tokens::TOKEN ParseNumber(std::uint64_t& value);
    static void ExpectToken(tokens::TOKEN read, tokens::TOKEN expected);

    std::uint64_t Retrieve(TagMap& tags, tokens::TOKEN tag);
    std::uint64_t Retrieve(TagMap& tags, tokens::TOKEN tag, std::uint64_t def);
    tokens::M_TYPE_ENUM Retrieve(TagMap& tags, tokens::TOKEN tag, tokens::M_TYPE_ENUM def);
    tokens::P_TYPE_ENUM Retrieve(TagMap& tags, tokens::TOKEN tag, tokens::P_TYPE_ENUM def);
    tokens::C_TYPE_ENUM Retrieve(TagMap& tags, tokens::TOKEN tag, tokens::C_TYPE_ENUM def);
    tokens::SCOPE_TYPE_ENUM Retrieve(TagMap& tags, tokens::TOKEN tag, tokens::SCOPE_TYPE_ENUM def);
    const std::string& RetrieveA(TagMap& tags, tokens::TOKEN tag, const char* def);
    const wstring& RetrieveW(TagMap& tags, tokens::TOKEN tag, const unsigned short* def);
    void TakeW(TagMap& tags, tokens::TOKEN tag, const unsigned short* def, wstring& target);
    static TagValue& Find(TagMap& tags, tokens::TOKEN tag);
    static TagValue& Single(TagValue& value);

    void ParseCredentials(IUser& sink, tokens::TOKEN verb);
    void ParseResultOnly(IError& sink, tokens::TOKEN verb);
    void ParseFolderRequest(IUser& sink, tokens::TOKEN verb, std::uint64_t& folder);
    tokens::TOKEN ParseFile(CFileInfo& record, FILE_TYPE_ENUM kind);
    tokens::TOKEN ParseFileType(FILE_TYPE_ENUM& kind);
    tokens::TOKEN ParseFileList(IFile& target);
    tokens::TOKEN ParseSubDir(CSubDirInfo& entry);
    tokens::TOKEN ParseHostTags(CHostInfo& host, bool& online);
    tokens::TOKEN ParseHostList(IHost& sink);
    tokens::TOKEN ParseHostList(IFindOut& sink);
    static void ParseAddressVect(const std::string& text, std::vector<std::string>& addresses);

    CLexer lexer_;
    /// The tag tables and records, kept from one list and one record to the next so that
    /// reading allocates nothing per record once their strings have grown to fit.
    std::unique_ptr<detail::ReadState> kept_;
};

}  // namespace cmds

#endif
