// The push reader against the blocking parser. The first byte picks the reader by command id, the
// second a set of read limits, the third how many pieces the next bytes measure out (0 to 255
// bytes each, 0 being an empty Feed) and, by its top bit, whether what remains of the text after
// them is fed byte by byte instead of at once; the rest is the text.
//
// Both read consecutive commands until the end or the first fault, once without limits and once
// with the drawn ones, and must make the same calls and end with the same error, described in the
// same words at the same place. The push reader takes each command's kind from its header while
// the parser is told it, so they are compared up to the first header that names another command:
// there the parser fails, and the push reader too, as its handler always chooses a sink of the
// drawn command. Limits may only cut a reading short, never change what it read.
#include <algorithm>
#include <memory>
#include <optional>

#include "fuzz_support.h"

namespace {

using namespace fuzzing;

const std::string kEnd = "end";

struct Reading {
    Calls calls;  // each command's calls, then kEnd; after a fault, "throws <type>: <description>"
    std::optional<cmds::CCmdError> error;
};

std::string Thrown(const cmds::CCmdError& error) {
    return std::string("throws ") + cmds::GetErrorTypeName(error) + ": " +
           cmds::DescribeError(error);
}

Calls WithoutLast(Calls calls) {
    calls.pop_back();
    return calls;
}

// Whether the command that failed had made no call: the fault was at its header or before.
bool FailedBeforeAnyCall(const Calls& calls) {
    return calls.size() == 1 || calls[calls.size() - 2] == kEnd;
}

template <typename Sink>
Reading ReadBlocking(const std::string& text, const cmds::CReadLimits& limits) {
    Reading reading;
    Sink sink(reading.calls);
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    parser.SetLimits(limits);
    try {
        for (;;) {
            parser.Parse(sink);
            reading.calls.push_back(kEnd);
        }
    } catch (const cmds::CCmdError& error) {
        reading.error = error;
        reading.calls.push_back(Thrown(error));
    }
    Require(reading.error->Located(), "the parser locates every fault");
    return reading;
}

struct PushReading : Reading {
    std::uint64_t consumed = 0;
    bool inDrawnCommand = false;  // the fault came inside a command of the drawn kind
    bool inOtherCommand = false;  // the fault came after the header of another kind
};

template <typename Sink>
class ChoosingHandler : public cmds::CPushReader::IHandler {
public:
    ChoosingHandler(cmds::eCommand id, Calls& calls) : id_(id), sink_(calls), calls_(calls) {}

    void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override {
        Require(!open_, "a command begins after the previous one ended");
        open_ = true;
        command_ = header.command;
        choice.Use(sink_);
    }
    void OnCommandEnd(const cmds::CCommandHeader& header) override {
        Require(open_ && header.command == command_, "a command ends with the header it began");
        open_ = false;
        calls_.push_back(kEnd);
    }

    bool InDrawnCommand() const { return open_ && command_ == id_; }
    bool InOtherCommand() const { return open_ && command_ != id_; }

private:
    cmds::eCommand id_;
    Sink sink_;
    Calls& calls_;
    bool open_ = false;
    cmds::eCommand command_ = cmds::eCommandConnectIn;
};

// `limits` absent: the reader a host gets without naming any.
template <typename Sink>
PushReading ReadPushed(cmds::eCommand id, const std::vector<std::string_view>& pieces,
                       const std::optional<cmds::CReadLimits>& limits) {
    PushReading reading;
    ChoosingHandler<Sink> handler(id, reading.calls);
    const auto reader = limits ? std::make_unique<cmds::CPushReader>(handler, *limits)
                               : std::make_unique<cmds::CPushReader>(handler);
    try {
        for (std::string_view piece : pieces) {
            reader->Feed(piece);
        }
        reader->Finish();
    } catch (const cmds::CCmdError& error) {
        reading.error = error;
        reading.calls.push_back(Thrown(error));
        reading.inDrawnCommand = handler.InDrawnCommand();
        reading.inOtherCommand = handler.InOtherCommand();
        try {
            reader->Finish();
            Require(false, "Finish after a fault throws");
        } catch (const cmds::CCmdError& again) {
            Require(Thrown(again) == reading.calls.back(), "Finish throws the fault again");
        }
    }
    reading.consumed = reader->Consumed();
    return reading;
}

void RequireSame(const Reading& blocking, const PushReading& pushed, std::size_t textSize) {
    const std::size_t failedAt = blocking.error->Position().offset;
    if (!pushed.error) {
        Require(failedAt == textSize && FailedBeforeAnyCall(blocking.calls),
                "the push reader ends cleanly only where the parser meets the end between "
                "commands");
        Require(pushed.calls == WithoutLast(blocking.calls), "the same calls up to the end");
        Require(pushed.consumed == textSize, "a clean end has consumed every byte");
        return;
    }
    Require(pushed.error->Located(), "the push reader locates every fault");
    Require(pushed.error->Position().offset <= pushed.consumed && pushed.consumed <= textSize,
            "the bytes consumed reach the token at fault");
    if (pushed.inDrawnCommand) {
        Require(pushed.calls == blocking.calls, "the same calls and the same error");
        return;
    }
    Require(WithoutLast(pushed.calls) == WithoutLast(blocking.calls) &&
                FailedBeforeAnyCall(blocking.calls),
            "a header the parser rejects ends the push reading there");
    Require(!pushed.inOtherCommand || pushed.error->code == cmds::CRuntimeError().code,
            "a sink of another command is refused");
}

// A prefix of `calls`, but for its last entry.
bool CutShortOf(const Calls& limited, const Calls& calls) {
    return limited.size() <= calls.size() &&
           std::equal(limited.begin(), limited.end() - 1, calls.begin());
}

// 0: the defaults for untrusted input; otherwise small limits that short inputs reach, each
// possibly none.
std::optional<cmds::CReadLimits> DrawLimits(std::uint8_t byte) {
    if (byte == 0) {
        return std::nullopt;
    }
    cmds::CReadLimits limits;
    limits.maxValueBytes = (byte & 0x0F) * 4u;
    limits.maxTagsPerList = ((byte >> 4) & 0x03) * 4u;
    limits.maxRecordsPerCommand = byte >> 6;
    return limits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, size);
    const std::uint8_t reader = bytes.Byte();
    const std::optional<cmds::CReadLimits> limits = DrawLimits(bytes.Byte());
    const std::uint8_t split = bytes.Byte();
    std::vector<std::size_t> lengths(split & 0x0F);
    for (std::size_t& length : lengths) {
        length = bytes.Byte();
    }
    const std::string text(bytes.Rest());
    std::vector<std::string_view> pieces;
    std::string_view rest = text;
    for (std::size_t length : lengths) {
        pieces.push_back(rest.substr(0, length));
        rest.remove_prefix(pieces.back().size());
    }
    for (; (split & 0x80) != 0 && !rest.empty(); rest.remove_prefix(1)) {
        pieces.push_back(rest.substr(0, 1));
    }
    pieces.push_back(rest);

    WithReader(reader, [&](cmds::eCommand id, auto* sinkType) {
        using Sink = std::remove_pointer_t<decltype(sinkType)>;
        const Reading whole = ReadBlocking<Sink>(text, cmds::CReadLimits::None());
        RequireSame(whole, ReadPushed<Sink>(id, pieces, cmds::CReadLimits::None()), text.size());

        const cmds::CReadLimits drawn = limits.value_or(cmds::CReadLimits::ForUntrustedInput());
        const Reading limited = ReadBlocking<Sink>(text, drawn);
        RequireSame(limited, ReadPushed<Sink>(id, pieces, limits), text.size());
        Require(CutShortOf(limited.calls, whole.calls), "limits only cut a reading short");
    });
    return 0;
}
