/// @file
/// The tokeniser of the command language.
#ifndef CMDS_LEXER_LEXER_H
#define CMDS_LEXER_LEXER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "cmds/export.h"
#include "cmds/lexer/lexer_stream.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

/// Turns the bytes of a source into tokens and keeps the value of the last token of each kind.
/// The source is not owned and must outlive the lexer.
class CMDS_API CLexer {
public:
    explicit CLexer(CLexerStreamBase& source);
    virtual ~CLexer();

    CLexer(const CLexer&) = delete;
    CLexer& operator=(const CLexer&) = delete;

    /// Reads the next token. Throws CLexError when the bytes form none; the bytes read up to the
    /// fault stay consumed and the last token stays the one returned before. Errors of the
    /// source pass through.
    tokens::TOKEN GetNextToken();

    /// Copy the value when the last token is STRING (WSTRING); otherwise leave `out` untouched.
    bool GetString(std::string& out);
    bool GetWString(wstring& out);
    /// Always store the kept value of that kind; return whether the last token is of that kind.
    bool GetNumber(std::uint64_t& out);
    bool GetMType(tokens::M_TYPE_ENUM& out);
    bool GetPType(tokens::P_TYPE_ENUM& out);
    bool GetCType(tokens::C_TYPE_ENUM& out);
    bool GetScopeType(tokens::SCOPE_TYPE_ENUM& out);

protected:
    int SkipBlanks();
    void ReadString(std::string& word);
    tokens::TOKEN ReadNumber(int first, std::uint64_t& value);
    tokens::TOKEN ReadUTF8(std::string& text);
    tokens::TOKEN ReadQuoteString(std::string& value);
    tokens::TOKEN FindKeyword(const char* word);

private:
    /// How the characters are taken: through the source's virtual operations, or in runs read
    /// in place from a string source or a feed stream (only for those exact classes, so that a
    /// subclass that overrides the character operations is always called). A source's class
    /// never changes, so it is looked up on the first token only.
    enum class SourceKind : std::uint8_t { kUnknown, kVirtual, kString, kFeed };

    template <typename Reader>
    tokens::TOKEN Scan(Reader& reader);
    tokens::TOKEN ClassifyWord(std::string_view word);

    CLexerStreamBase& source_;
    tokens::TOKEN lastToken_ = tokens::NO_TOKEN;
    tokens::M_TYPE_ENUM mValue_ = tokens::M_NONE;
    tokens::P_TYPE_ENUM pValue_ = tokens::P_NONE;
    tokens::C_TYPE_ENUM cValue_ = tokens::C_NONE;
    tokens::SCOPE_TYPE_ENUM scopeValue_ = tokens::SCOPE_NONE;
    wstring wideValue_;
    std::string narrowValue_;
    std::uint64_t numberValue_ = 0;
    /// The bytes of the token being read, kept so that no token allocates a string of its own.
    std::string scratch_;
    SourceKind sourceKind_ = SourceKind::kUnknown;
};

}  // namespace cmds

#endif
