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
#include "cmds/support/utf8_encode_internal.h"

namespace cmds {

// Whether the gathered bytes lie in the stream buffer's put area rather than in pending_.
bool CGenerator::GatheredInPutArea() const {
    return start_ != pending_.data();
}

// Whether bytes gathered in the put area by earlier writers are still to be handed to the stream:
// a generator that owns its stream hands them over only when its text is looked at.
bool CGenerator::Holding() const {
    return ownsStream_ && GatheredInPutArea();
}

// Opened at the start of every public writer. The outermost one decides whether to gather and
// hands the gathered bytes to the stream when the writer returns, also when it leaves by an
// exception, so the stream receives the same bytes as if each piece had been written at once.
// A generator that owns its stream keeps the bytes it gathered in the put area there instead,
// and the next writer gathers on after them.
class CGenerator::Batch {
public:
    explicit Batch(CGenerator& generator) : generator_(generator) {
        // Bytes held from earlier writers are gathered on; nothing has touched the stream since.
        if (generator_.batchDepth_++ == 0 && !generator_.Holding()) {
            const std::ostream& out = generator_.out_;
            generator_.batching_ =
                out.good() && out.tie() == nullptr && (out.flags() & std::ios_base::unitbuf) == 0;
            if (generator_.batching_) {
                generator_.GatherInPlace();
            }
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
        if (--generator_.batchDepth_ == 0 && !generator_.Holding()) {
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
// place. A piece is made of Put calls, each of which returns the end of what it wrote and needs
// the room that its comment gives, made ahead of it for the whole piece.
char* CGenerator::Extend(char* out, std::size_t size) {
    if (static_cast<std::size_t>(limit_ - out) < size) {
        return GrowPending(out, size);
    }
    return out;
}

char* CGenerator::Room(std::size_t size) {
    return Extend(next_, size);
}

void CGenerator::EndPiece(char* end) {
    if (batching_) {
        next_ = end;
    } else {
        out_.write(next_, end - next_);
    }
}

// Needs detail::kTokenRoom.
char* CGenerator::Put(char* out, tokens::TOKEN token) {
    return detail::PutToken(out, token);
}

// Needs sizeof detail::kBreak.
char* CGenerator::PutBreak(char* out, int depth) {
    std::memcpy(out, detail::kBreak, sizeof detail::kBreak);
    return out + 2 + depth;
}

// Needs detail::kTagRoom.
char* CGenerator::PutTag(char* out, tokens::TOKEN key, std::uint64_t value) {
    return detail::PutNumber(detail::PutKey(out, key), value);
}

// Needs detail::TextTagRoom(value.size()).
char* CGenerator::PutTag(char* out, tokens::TOKEN key, const wstring& value) {
    out = detail::PutKey(out, key);
    *out++ = '\'';
    // Most values are of one round, and many of them plain ASCII, which their narrowing writes.
    const std::size_t count = value.size();
    if (count <= detail::kRoundUnits) {
        detail::NarrowedRound round;
        detail::NarrowRound(value.data(), count, out, round);
        out = round.marked == 0 ? out + count : PutMarked(out, value, round);
    } else {
        out = PutEncoded(out, value);
    }
    *out++ = '\'';
    return out;
}

// Needs detail::kTokenRoom + detail::TextTagRoom(value.size()).
char* CGenerator::PutTagComma(char* out, tokens::TOKEN key, const wstring& value) {
    return value.empty() ? out : PutTag(Put(out, tokens::COMMA), key, value);
}

void CGenerator::Generate(tokens::TOKEN token) {
    EndPiece(Put(Room(detail::kTokenRoom), token));
}

void CGenerator::GenerateBreak(int depth) {
    EndPiece(PutBreak(Room(sizeof detail::kBreak), depth));
}

void CGenerator::GenerateTag(tokens::TOKEN key, std::uint64_t value) {
    EndPiece(PutTag(Room(detail::kTagRoom), key, value));
}

void CGenerator::GenerateTag(tokens::TOKEN key, const wstring& value) {
    EndPiece(PutTag(Room(detail::TextTagRoom(value.size())), key, value));
}

void CGenerator::GenerateTagComma(tokens::TOKEN key, const wstring& value) {
    if (!value.empty()) {
        EndPiece(
            PutTagComma(Room(detail::kTokenRoom + detail::TextTagRoom(value.size())), key, value));
    }
}

}  // namespace cmds

#endif
