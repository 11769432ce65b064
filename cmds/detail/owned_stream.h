/// @file
/// String streams held as base classes, so that each is constructed before the stream-using base
/// that is given a reference to it (a member would be constructed after every base).
#ifndef CMDS_DETAIL_OWNED_STREAM_H
#define CMDS_DETAIL_OWNED_STREAM_H

#include <ios>
#include <istream>
#include <sstream>
#include <string>

namespace cmds::detail {

struct OwnedStringStream {
    explicit OwnedStringStream(const std::string& text = std::string())
        : ownedStream(text, std::ios_base::in | std::ios_base::out) {}

    std::stringstream ownedStream;
};

/// A string buffer that lets the lexer scan the characters not yet read in place, instead of
/// taking them one call at a time. It is an ordinary std::stringbuf in every other respect.
class SourceBuffer : public std::stringbuf {
public:
    explicit SourceBuffer(const std::string& text)
        : std::stringbuf(text, std::ios_base::in | std::ios_base::out) {}

    /// The characters readable without refilling; bytes written since the last read are made
    /// readable first, as the next read would.
    const char* ReadBegin() {
        if (gptr() == egptr()) {
            underflow();
        }
        return gptr();
    }
    const char* ReadEnd() const { return egptr(); }
    /// Moves the read position to `next`, which lies within [ReadBegin(), ReadEnd()].
    void SetReadPosition(const char* next) { setg(eback(), const_cast<char*>(next), egptr()); }
};

/// The owned buffer of a character source, read through a stream as any host stream would be.
struct OwnedSourceStream {
    explicit OwnedSourceStream(const std::string& text = std::string())
        : ownedBuffer(text), ownedStream(&ownedBuffer) {}

    SourceBuffer ownedBuffer;
    std::iostream ownedStream;
};

}  // namespace cmds::detail

#endif
