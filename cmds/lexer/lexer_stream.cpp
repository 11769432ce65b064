#include "cmds/lexer/lexer_stream.h"

#include <ostream>

#include "cmds/lexer/get_area_internal.h"

namespace cmds {

// Derived sources pass a reference to a member that is constructed after this part: it is only
// stored here, never used.
CLexerStream::CLexerStream(std::istream& stream) : stream_(stream) {}

CLexerStream::~CLexerStream() = default;

int CLexerStream::GetNextChar() {
    ownReads_ = true;
    // good() is false once the end has been met, so the end is reported once and then -1 for
    // ever without touching the stream again.
    if (!stream_.good()) {
        return -1;
    }
    return stream_.get();
}

void CLexerStream::PutBackChar(int c) {
    if (stream_.good()) {
        stream_.putback(static_cast<char>(c));
    }
}

bool CLexerStream::IsEof() {
    return stream_.eof();
}

bool CLexerStream::Bad() {
    return stream_.bad();
}

int CLexerStream::GetPos() {
    return static_cast<int>(static_cast<std::streamoff>(stream_.tellg()));
}

void CLexerStream::SetPos(int pos) {
    stream_.seekg(pos, std::ios_base::beg);
}

// Only a good stream lends, so that the end is met, and the stream's state set, through get().
// get() flushes a tied stream first, and so does lending.
bool CLexerStream::LendRun(const char*& begin, const char*& end) {
    if (!ownReads_ || !stream_.good()) {
        return false;
    }
    std::streambuf* const buffer = stream_.rdbuf();
    if (buffer == nullptr) {
        return false;
    }
    if (std::ostream* const tied = stream_.tie()) {
        tied->flush();
    }
    return detail::GetArea::Ready(*buffer, begin, end);
}

void CLexerStream::ReturnRun(const char* begin, const char* next) {
    if (next != begin) {
        detail::GetArea::Advance(*stream_.rdbuf(), next);
    }
}

bool CLexerStream::LocksWhileLent() const {
    return false;
}

CStrLexerStream::CStrLexerStream(const std::string& text)
    : OwnedStringStream(text), CLexerStream(ownedStream) {}

CStrLexerStream::~CStrLexerStream() = default;

CStrViewLexerStream::CStrViewLexerStream(std::string_view text)
    : ViewedStream(text), CLexerStream(viewStream) {}

CStrViewLexerStream::~CStrViewLexerStream() = default;

}  // namespace cmds
