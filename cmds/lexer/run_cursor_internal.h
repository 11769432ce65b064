// Reading straight from the run that the lexer's source has lent, for the parser's readers, which
// know what comes next and need no tokens for the common case.
#ifndef CMDS_LEXER_RUN_CURSOR_INTERNAL_H
#define CMDS_LEXER_RUN_CURSOR_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "cmds/lexer/lexer.h"
#include "cmds/lexer/words_internal.h"
#include "cmds/support/decimal_internal.h"
#include "cmds/tokens/tables_internal.h"

namespace cmds::detail {

// A view of the lexer's lent run from where the lexer stands. Nothing read through it counts
// until Commit; what is not committed is read again as tokens. Without a lent run the view is
// empty. A source that locks while lending is returned when the view ends, as after a token.
class RunCursor {
public:
    explicit RunCursor(CLexer& lexer) : lexer_(lexer) {
        if (lexer.runBegin_ == nullptr) {
            lexer.Borrow();
        }
        next = lexer.runNext_;
        end = lexer.runEnd_;
        line_ = lexer.line_;
        lineStart_ = lexer.lineStart_;
    }
    ~RunCursor() {
        if (lexer_.holdDepth_ == 0 || !lexer_.runKeepable_) {
            lexer_.GiveBack();
        }
    }
    RunCursor(const RunCursor&) = delete;
    RunCursor& operator=(const RunCursor&) = delete;

    // Whether host code may run while the run is lent.
    bool Keepable() const { return lexer_.runKeepable_; }

    // Most tags have no blank between their parts, so the first byte is looked at alone.
    void SkipBlanks() {
        if (next != end && IsBlank(*next)) {
            SkipSomeBlanks();
        }
    }

    // The length of the word of letters and digits that starts at `next` with a letter; 0 when
    // none does or when the run ends within it, so that the next run might extend it.
    std::size_t WordLength() const {
        if (next == end || !IsLetter(*next)) {
            return 0;
        }
        const std::size_t length = AlphanumericLength(next, end);
        return next + length == end ? 0 : length;
    }

    // How many bytes from `next` on lie in the run.
    std::size_t Readable() const { return static_cast<std::size_t>(end - next); }

    // After any blanks: the keyword `token`, written in any case, as a word of its own.
    bool TakeKeyword(tokens::TOKEN token) {
        SkipBlanks();
        const std::size_t length = WordLength();
        if (length == 0 || !IsFoldedWord(next, length, kFoldedKeywords[token], Readable())) {
            return false;
        }
        next += length;
        return true;
    }

    // After any blanks: the key `token`, written in any case, with its ':' right after it,
    // and any blanks after that.
    bool TakeKeyWithColon(tokens::TOKEN token) {
        SkipBlanks();
        const std::size_t length = kKeywordLengths[token];
        if (!IsKeyWithColon(next, Readable(), kFoldedKeywords[token], length)) {
            return false;
        }
        next += length + 1;
        SkipBlanks();
        return true;
    }

    // After any blanks: the words of `phrase`, written in any case, separated by single spaces
    // and not followed by a letter or digit.
    bool TakePhrase(const FoldedPhrase& phrase) {
        SkipBlanks();
        if (!StartsWithPhrase(next, Readable(), phrase)) {
            return false;
        }
        next += phrase.length;
        return true;
    }

    // The blanks that the generator puts after a command's header, taken at once; any other
    // blanks are left to SkipBlanks.
    void TakeHeaderBreak() {
        if (Readable() >= sizeof kHeaderBreak &&
            std::memcmp(next, kHeaderBreak, sizeof kHeaderBreak) == 0) {
            next += sizeof kHeaderBreak;
            ++line_;
            lineStart_ = OffsetOf(next - 1);
        }
    }

    // After any blanks: a punctuation mark, taken as the lexer's last token, or NO_TOKEN.
    tokens::TOKEN TakeMark() {
        SkipBlanks();
        const tokens::TOKEN mark = next == end ? tokens::NO_TOKEN : PunctuationToken(*next);
        if (mark != tokens::NO_TOKEN) {
            MarkToken(next, mark);
            ++next;
        }
        return mark;
    }

    // Makes `token`, which starts at `at` on the current line, the lexer's last token, as if the
    // lexer had read it.
    void MarkToken(const char* at, tokens::TOKEN token) {
        const std::uint64_t offset = OffsetOf(at);
        lexer_.tokenPosition_ = {static_cast<std::size_t>(offset), line_,
                                 static_cast<std::size_t>(offset - lineStart_ + 1)};
        lexer_.lastToken_ = token;
    }

    // A run of at most `maxDigits` digits (0: any number) that ends within the run, as the
    // lexer reads it: modulo 2^64.
    bool TakeNumber(std::size_t maxDigits, std::uint64_t& number) {
        const char* p = next;
        const char* const stop = end;
        std::uint64_t value = 0;
        // Eight bytes at a time while they lie in the run, so that the end of a number costs no
        // branch per digit; the product keeps the value modulo 2^64 as the digit loop does.
        for (std::size_t digits = 8; digits == 8 && stop - p >= 8; p += digits) {
            std::uint64_t block = 0;
            digits = LeadingDigits(p, block);
            value = value * kPowersOfTen[digits] + block;
        }
        while (p != stop && IsDigit(*p)) {
            value = value * 10 + static_cast<std::uint64_t>(*p++ - '0');
        }
        const auto digits = static_cast<std::size_t>(p - next);
        if (digits == 0 || p == stop || (maxDigits != 0 && digits > maxDigits)) {
            return false;
        }
        next = p;
        number = value;
        return true;
    }

    // Counts the line feeds among the bytes [begin, stop) of the run.
    void NoteLineFeeds(const char* begin, const char* stop) {
        CountLineFeeds(begin, stop, OffsetOf(begin), line_, lineStart_);
    }

    // The lexer's spare text, for bytes handed to the support library.
    std::string& Scratch() { return lexer_.scratch_; }

    // Counts everything before `next` as read and returns the run to its source, then takes the
    // run the source lends now, if any.
    void Pause() {
        Commit();
        lexer_.GiveBack();
    }
    void Resume() {
        lexer_.Borrow();
        next = lexer_.runNext_;
        end = lexer_.runEnd_;
    }

    // Counts everything before `next` as read.
    void Commit() {
        lexer_.runNext_ = next;
        lexer_.line_ = line_;
        lexer_.lineStart_ = lineStart_;
        lexer_.lastFromRun_ = false;
    }

    const char* next;
    const char* end;

private:
    void SkipSomeBlanks() {
        const char* p = next;
        const char* const stop = end;
        for (; p != stop && IsBlank(*p); ++p) {
            if (*p == '\n') {
                ++line_;
                lineStart_ = OffsetOf(p + 1);
            }
        }
        next = p;
    }

    std::uint64_t OffsetOf(const char* at) const {
        return lexer_.consumed_ + static_cast<std::uint64_t>(at - lexer_.runBegin_);
    }

    CLexer& lexer_;
    std::size_t line_;
    std::uint64_t lineStart_;
};

}  // namespace cmds::detail

#endif
