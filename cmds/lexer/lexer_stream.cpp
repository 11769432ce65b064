#include "cmds/lexer/lexer_stream.h"

namespace cmds {

// Derived sources pass a reference to a member that is constructed after this part: it is only
// stored here, never used.
CLexerStream::CLexerStream(std::istream& stream) : stream_(stream) {}

CLexerStream::~CLexerStream() = default;

int CLexerStream::GetNextChar() {
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

CStrLexerStream::CStrLexerStream(const std::string& text)
    : OwnedSourceStream(text), CLexerStream(ownedStream) {}

CStrLexerStream::~CStrLexerStream() = default;

}  // namespace cmds
