/// @file
/// Character sources for the lexer: one byte at a time with one byte of push-back.
#ifndef CMDS_LEXER_LEXER_STREAM_H
#define CMDS_LEXER_LEXER_STREAM_H

#include <istream>
#include <string>
#include <string_view>

#include "cmds/detail/owned_stream.h"
#include "cmds/export.h"

namespace cmds {

/// Abstract character source. Destroy sources through their own class or CLexerStream.
class CMDS_API CLexerStreamBase {
public:
    CLexerStreamBase(const CLexerStreamBase&) = delete;
    CLexerStreamBase& operator=(const CLexerStreamBase&) = delete;

    /// The next byte as 0 to 255, or -1 when there is none.
    virtual int GetNextChar() = 0;
    /// Gives back the byte that the last GetNextChar returned.
    virtual void PutBackChar(int c) = 0;
    /// True once a read has met the end of the source.
    virtual bool IsEof() = 0;
    /// True once the source has failed beyond recovery.
    virtual bool Bad() = 0;
    /// Read position in bytes from the start, or -1 when the source cannot tell.
    virtual int GetPos() = 0;
    /// Moves the read position to `pos` bytes from the start.
    virtual void SetPos(int pos) = 0;

protected:
    CLexerStreamBase() = default;
    ~CLexerStreamBase() = default;
};

/// Reads a std::istream that the host owns and keeps alive. Once a read meets the end, every
/// further read gives -1 and put-back does nothing, until the host clears the stream's state.
class CMDS_API CLexerStream : public CLexerStreamBase {
public:
    explicit CLexerStream(std::istream& stream);
    virtual ~CLexerStream();

    int GetNextChar() override;
    void PutBackChar(int c) override;
    bool IsEof() override;
    bool Bad() override;
    int GetPos() override;
    void SetPos(int pos) override;

    /// Reading in place, for the lexer. LendRun offers the characters that can be read now
    /// without waiting as [begin, end), or returns false when it has none to lend. Until
    /// ReturnRun, the reader makes no other call on the source; ReturnRun(begin, next) counts
    /// [begin, next) as read, as that many GetNextChar calls would have.
    ///
    /// This class lends the characters in its stream buffer's get area, once its own
    /// GetNextChar has been called: a subclass that replaces GetNextChar without calling this
    /// class's is read through its own operations only.
    virtual bool LendRun(const char*& begin, const char*& end);
    virtual void ReturnRun(const char* begin, const char* next);
    /// Whether a lent run holds something back from other threads (a lock) until it is
    /// returned; a reader then returns it after every token. Asked once, when a lexer is made
    /// over the source. This class's runs hold nothing.
    virtual bool LocksWhileLent() const;

private:
    std::istream& stream_;
    bool ownReads_ = false;
};

/// Reads its own copy of a string; later changes to the caller's string are not seen.
class CMDS_API CStrLexerStream : private detail::OwnedStringStream, public CLexerStream {
public:
    explicit CStrLexerStream(const std::string& text);
    ~CStrLexerStream() override;
};

/// Reads the caller's bytes where they lie, without a copy: they must stay alive and unchanged
/// while the source is read. Reads as a CStrLexerStream over the same text does.
class CMDS_API CStrViewLexerStream : private detail::ViewedStream, public CLexerStream {
public:
    explicit CStrViewLexerStream(std::string_view text);
    ~CStrViewLexerStream() override;
};

}  // namespace cmds

#endif
