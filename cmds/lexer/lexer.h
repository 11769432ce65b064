/// @file
/// The tokeniser of the command language.
#ifndef CMDS_LEXER_LEXER_H
#define CMDS_LEXER_LEXER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "cmds/export.h"
#include "cmds/lexer/lexer_stream.h"
#include "cmds/tokens/errors.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

namespace detail {
class RunCursor;
struct WordEntry;
}  // namespace detail

/// Turns the bytes of a source into tokens and keeps the value of the last token of each kind.
/// The source is not owned and must outlive the lexer. The lexer counts the bytes it reads, so
/// it can tell where each token starts whatever the source.
class CMDS_API CLexer {
public:
    /// Reads through the source's GetNextChar and PutBackChar.
    explicit CLexer(CLexerStreamBase& source);
    /// Also reads the runs of characters that the source lends in place.
    explicit CLexer(CLexerStream& source);
    virtual ~CLexer();

    CLexer(const CLexer&) = delete;
    CLexer& operator=(const CLexer&) = delete;

    /// Reads the next token. Throws CLexError when the bytes form none; the bytes read up to the
    /// fault stay consumed and the last token stays the one returned before. Errors of the
    /// source pass through, located where reading stopped.
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

    /// While held (calls nest), a run lent by a source that locks nothing for it is kept from
    /// one token to the next instead of being returned after each, so the source's own read
    /// position lags behind the lexer's until the last ReleaseRuns. The parser holds runs while
    /// it reads a command.
    void HoldRuns() { ++holdDepth_; }
    void ReleaseRuns();

    /// The longest value in bytes (0: no limit): a digit run, a quoted string's bytes or a word
    /// that is no keyword. A longer one is CLexError, raised before the value is stored.
    void SetMaxValueBytes(std::size_t maxValueBytes) { maxValueBytes_ = maxValueBytes; }

    /// Where the last token returned starts, counted from the lexer's first read.
    CTextPosition GetTokenPosition() const { return tokenPosition_; }
    /// Describes the last token for a person: "the number 5", "';'", "the end of the input".
    std::string DescribeToken() const;

protected:
    /// The steps of GetNextToken. Each reads in place while the source lends characters and
    /// through GetNextChar otherwise.
    int SkipBlanks();
    void ReadString(std::string& word);
    tokens::TOKEN ReadNumber(int first, std::uint64_t& value);
    tokens::TOKEN ReadUTF8(std::string& text);
    tokens::TOKEN ReadQuoteString(std::string& value);
    tokens::TOKEN FindKeyword(const char* word);

private:
    // Reads tag lists in place on the parser's behalf.
    friend class detail::RunCursor;

    int Get();
    void PutBack(int c);
    int GetOutsideRun();
    void Borrow();
    void GiveBack();
    std::uint64_t Offset() const;
    void NoteLineBreaks(const char* begin, const char* end, std::uint64_t offset);
    bool CollectQuoted(int quote, std::string& text);
    tokens::TOKEN Classify(const detail::WordEntry* entry, const char* word, std::size_t length);
    tokens::TOKEN Scan();
    [[noreturn]] void Fail(const char* reason);
    void CheckValueSize(std::size_t size);
    void CheckWordSize(std::size_t size);
    void ReturnLockedRun();
    bool ReadWideInPlace(std::uint64_t start);

    CLexerStreamBase& source_;
    CLexerStream* lender_ = nullptr;
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

    /// The run lent by the source, if any: [runBegin_, runEnd_), read up to runNext_.
    const char* runBegin_ = nullptr;
    const char* runNext_ = nullptr;
    const char* runEnd_ = nullptr;
    bool lastFromRun_ = false;
    bool runKeepable_ = false;
    int holdDepth_ = 0;
    std::size_t maxValueBytes_ = 0;
    /// Bytes read before the current run, and where the current line starts.
    std::uint64_t consumed_ = 0;
    std::uint64_t lineStart_ = 0;
    std::size_t line_ = 1;
    CTextPosition tokenPosition_;
};

}  // namespace cmds

#endif
