// The gathering of one writer call's output and the pieces that every record is made of, shared
// by the command writers.
#ifndef CMDS_GENERATOR_GENERATOR_INTERNAL_H
#define CMDS_GENERATOR_GENERATOR_INTERNAL_H

#include <cstring>
#include <exception>
#include <ios>

#include "cmds/generator/generator.h"
#include "cmds/generator/pieces_internal.h"
#include "cmds/support/tessel.h"

namespace cmds {

// Opened at the start of every public writer. The outermost one decides whether to gather and
// hands the gathered bytes to the stream when the writer returns, also when it leaves by an
// exception, so the stream receives the same bytes as if each piece had been written at once.
class CGenerator::Batch {
public:
    explicit Batch(CGenerator& generator) : generator_(generator) {
        if (generator_.batchDepth_++ == 0) {
            const std::ostream& out = generator_.out_;
            generator_.batching_ =
                out.good() && out.tie() == nullptr && (out.flags() & std::ios_base::unitbuf) == 0;
            // Only a stream that throws on badbit needs to know whether the writer leaves by an
            // exception, and the count of exceptions in flight takes several library calls to
            // read; nothing touches the stream between here and Flush while gathering.
            watchesUnwinding_ =
                generator_.batching_ && (out.exceptions() & std::ios_base::badbit) != 0;
            if (watchesUnwinding_) {
                uncaught_ = std::uncaught_exceptions();
            }
        }
    }

    // A normal return hands the bytes over here, where an error of the stream may be thrown.
    ~Batch() noexcept(false) {
        if (--generator_.batchDepth_ == 0) {
            generator_.batching_ = false;
            generator_.Flush(watchesUnwinding_ && std::uncaught_exceptions() > uncaught_);
        }
    }

    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    CGenerator& generator_;
    bool watchesUnwinding_ = false;
    int uncaught_ = 0;
};

// Each piece is written where the gathered bytes end: Room makes space there for the piece and
// returns where it starts, EndPiece ends it. A gathering writer keeps the piece and the next one
// follows it; otherwise the piece goes to the stream's write at once and the next one takes its
// place.
char* CGenerator::Room(std::size_t size) {
    if (static_cast<std::size_t>(limit_ - next_) < size) {
        GrowPending(size);
    }
    return next_;
}

void CGenerator::EndPiece(char* end) {
    if (batching_) {
        next_ = end;
    } else {
        out_.write(next_, end - next_);
    }
}

void CGenerator::Generate(tokens::TOKEN token) {
    EndPiece(detail::PutToken(Room(sizeof(detail::TokenText::text)), token));
}

void CGenerator::GenerateBreak(int depth) {
    char* const out = Room(sizeof detail::kBreak);
    std::memcpy(out, detail::kBreak, sizeof detail::kBreak);
    EndPiece(out + 2 + depth);
}

void CGenerator::GenerateTag(tokens::TOKEN key, std::uint64_t value) {
    EndPiece(detail::PutNumber(detail::PutKey(Room(detail::kTagRoom), key), value));
}

void CGenerator::GenerateTag(tokens::TOKEN key, const wstring& value) {
    converted_.clear();
    ConvertUnicodeToUTF8(value, converted_);
    GenerateConverted(key, '\'');
}

void CGenerator::GenerateTagComma(tokens::TOKEN key, const wstring& value) {
    if (!value.empty()) {
        Generate(tokens::COMMA);
        GenerateTag(key, value);
    }
}

// Two pieces: the key with the opening quote, then the converted value with the closing one.
void CGenerator::GenerateConverted(tokens::TOKEN key, char quote) {
    char* const prefix = detail::PutKey(Room(detail::kTagRoom), key);
    *prefix = quote;
    EndPiece(prefix + 1);
    const std::size_t size = converted_.size();
    char* const value = Room(size + 1);
    std::memcpy(value, converted_.data(), size);
    value[size] = quote;
    EndPiece(value + size + 1);
}

}  // namespace cmds

#endif
