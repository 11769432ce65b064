/// @file
/// The feed stream: a character source that feeding threads fill while one thread reads it.
#ifndef CMDS_LEXER_MT_LEXER_STREAM_H
#define CMDS_LEXER_MT_LEXER_STREAM_H

#include <cstdint>
#include <memory>
#include <string>

#include "cmds/detail/owned_stream.h"
#include "cmds/export.h"
#include "cmds/lexer/lexer_stream.h"

namespace cmds {

namespace detail {
class FeedSync;
}

/// One reading thread calls GetNextChar and PutBackChar; any thread may insert, abort and query.
/// A read waits at most two minutes for data (then CDeadlockError) and throws CCancelError once
/// the stream is aborted. Every byte inserted is kept for GetData.
class CMDS_API CMtLexerStream : private detail::OwnedStringStream, public CLexerStream {
public:
    CMtLexerStream();
    ~CMtLexerStream() override;

    /// Appends `length` bytes (NUL included) and wakes the reader, also when `length` is 0.
    void InsertToStream(const char* data, std::uint32_t length);
    /// Marks the stream aborted for good. Does not wake a reader that is waiting for data.
    void Abort();
    /// Copies every byte inserted so far, read or not, into `out`.
    void GetData(std::string& out);

    int GetNextChar() override;
    void PutBackChar(int c) override;
    bool IsEof() override;
    bool Bad() override;
    int GetPos() override;
    void SetPos(int pos) override;

    /// Lends at most the pending characters and holds the lock until ReturnRun: one hold of the
    /// lock per run instead of one wait and one lock per character. Lends nothing, without
    /// waiting, while no character is pending or once the stream is aborted.
    bool LendRun(const char*& begin, const char*& end) override;
    void ReturnRun(const char* begin, const char* next) override;
    bool LocksWhileLent() const override;

protected:
    /// For tests that cannot wait two minutes: the reader's wait in milliseconds.
    explicit CMtLexerStream(std::uint32_t waitMilliseconds);
    std::uint32_t WaitMilliseconds() const { return waitMilliseconds_; }

private:
    std::int32_t pending_ = 0;
    bool aborted_ = false;
    std::uint32_t waitMilliseconds_;
    std::unique_ptr<detail::FeedSync> sync_;
};

}  // namespace cmds

#endif
