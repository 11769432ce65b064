// The parser tests' harness: every text is read from a string source, from a view of it, from a
// feed stream filled at once, from a feed stream filled byte by byte by another thread and from a
// host's input stream, and all must make the same calls and end with the same error, told in the
// same words at the same place.
#ifndef CMDS_TESTS_RECORDER_H
#define CMDS_TESTS_RECORDER_H

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmds/cmds.h"
#include "sinks.h"

namespace testing_support {

// Reads `text` with `read` (a CLexerStream& -> Calls function) from every kind of source;
// returns what the string source gave.
template <typename Read>
Calls ReadFromEverySource(const std::string& text, Read read) {
    cmds::CStrLexerStream source(text);
    const Calls calls = read(source);
    cmds::CStrViewLexerStream view(text);
    EXPECT_EQ(read(view), calls) << "from a view: " << Show(text);
    EXPECT_EQ(ReadFed({text}, read), calls) << "fed at once: " << Show(text);
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes.push_back(std::string_view(text).substr(i, 1));
    }
    EXPECT_EQ(ReadFed(bytes, read), calls) << "fed byte by byte: " << Show(text);
    std::istringstream host(text);
    cmds::CLexerStream hostSource(host);
    EXPECT_EQ(read(hostSource), calls) << "from an input stream: " << Show(text);
    return calls;
}

// Whether a push reader, which takes each command's kind from its header, reads `text` as the
// sink's Parse overload does: when the header names the sink's command.
template <typename Sink>
bool HeaderIsOf(const std::string& text) {
    cmds::CCommandHeader header;
    if (!cmds::PeekHeader(text, header)) {
        return false;
    }
    cmds::CSinkChoice choice;
    Calls none;
    Sink sink(none);
    choice.Use(sink);
    return choice.Command() == header.command;
}

// A push reader fed the text whole, byte by byte and in two pieces split at every position must
// make the calls `calls` that the blocking parser made.
template <typename Sink>
void ExpectPushed(const std::string& text, const Calls& calls, int count = 1) {
    if (!HeaderIsOf<Sink>(text)) {
        return;
    }
    const std::string_view whole(text);
    EXPECT_EQ(PushFrom<Sink>({whole}, count), calls) << "pushed whole: " << Show(text);
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes.push_back(whole.substr(i, 1));
    }
    EXPECT_EQ(PushFrom<Sink>(bytes, count), calls) << "pushed byte by byte: " << Show(text);
    for (std::size_t at = 1; at < text.size(); ++at) {
        EXPECT_EQ(PushFrom<Sink>({whole.substr(0, at), whole.substr(at)}, count), calls)
            << "pushed split at " << at << ": " << Show(text);
    }
}

// Reads `count` commands of the sink's kind from `text` from every kind of source and through
// the push reader; the error only by its type.
template <typename Sink>
Calls ParseText(const std::string& text, int count = 1) {
    const Calls calls = ReadFromEverySource(
        text, [count](cmds::CLexerStream& source) { return ParseFrom<Sink>(source, count); });
    ExpectPushed<Sink>(text, calls, count);
    return Brief(calls);
}

const std::string kSyntax = "throws CSyntaxError";
const std::string kSemantic = "throws CSemanticError";

// `calls` followed by `more`.
inline Calls Then(Calls calls, const Calls& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}

// One table row: the text of one command and the outcome expected from reading it.
struct Case {
    const char* name;
    std::string text;
    Calls expected;
};

// Every case from every source; every fourth one, from the first on, also fed in two pieces split
// at every position, since a token cut between two insertions is where a feed stream differs.
template <typename Sink>
void CheckAll(const std::vector<Case>& cases) {
    constexpr std::size_t kSplitSample = 4;
    const auto readOne = [](cmds::CLexerStream& source) { return ParseFrom<Sink>(source); };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const Calls calls = ReadFromEverySource(c.text, readOne);
        EXPECT_EQ(Brief(calls), c.expected) << c.name << ": " << c.text;
        ExpectPushed<Sink>(c.text, calls);
        for (std::size_t at = 1; i % kSplitSample == 0 && at < c.text.size(); ++at) {
            const std::string_view text(c.text);
            EXPECT_EQ(ReadFed({text.substr(0, at), text.substr(at)}, readOne), calls)
                << c.name << " split at " << at;
        }
    }
}

}  // namespace testing_support

#endif
