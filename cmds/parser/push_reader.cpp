#include "cmds/parser/push_reader.h"

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "cmds/detail/owned_stream.h"
#include "cmds/lexer/lexer.h"
#include "cmds/lexer/lexer_stream.h"
#include "cmds/lexer/run_cursor_internal.h"
#include "cmds/parser/coroutine_internal.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

namespace detail {

namespace {

// Thrown into a paused reader whose push reader is destroyed, so that its stack unwinds.
struct Abandoned {};

}  // namespace

// The bytes of the piece being fed, read in place. When they run out the reader pauses until the
// next piece comes, or learns that none will.
class PushSource final : private OwnedStringStream, public CLexerStream {
public:
    PushSource() : CLexerStream(ownedStream) {}

    void Hand(const char* data, std::size_t size) {
        data_ = data;
        size_ = size;
        position_ = 0;
    }
    // Counts what was read of the piece and lets it go.
    void Done() {
        before_ += position_;
        data_ = nullptr;
        size_ = position_ = 0;
    }

    void SetCoroutine(Coroutine* coroutine) { coroutine_ = coroutine; }
    void End() { ended_ = true; }
    bool Ended() const { return ended_; }
    void Abandon() { abandoned_ = true; }
    std::uint64_t Read() const { return before_ + position_; }

    int GetNextChar() override {
        while (position_ == size_) {
            if (ended_) {
                return -1;
            }
            WaitForBytes();
        }
        return static_cast<unsigned char>(data_[position_++]);
    }
    // Only the character just read is ever put back, and it is in the current piece.
    void PutBackChar(int c) override {
        if (c != -1 && position_ > 0) {
            --position_;
        }
    }
    bool IsEof() override { return ended_ && position_ == size_; }
    bool Bad() override { return false; }
    int GetPos() override { return static_cast<int>(Read()); }
    void SetPos(int) override {}

    bool LendRun(const char*& begin, const char*& end) override {
        if (position_ == size_) {
            return false;
        }
        begin = data_ + position_;
        end = data_ + size_;
        return true;
    }
    void ReturnRun(const char*, const char* next) override {
        position_ = static_cast<std::size_t>(next - data_);
    }
    bool LocksWhileLent() const override { return false; }

private:
    void WaitForBytes() {
        before_ += size_;
        data_ = nullptr;
        size_ = position_ = 0;
        if (!abandoned_) {
            coroutine_->Pause();
        }
        if (abandoned_) {
            throw Abandoned();
        }
    }

    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
    std::uint64_t before_ = 0;
    Coroutine* coroutine_ = nullptr;
    bool ended_ = false;
    bool abandoned_ = false;
};

struct PushState {
    PushState(CPushReader::IHandler& handler, const CReadLimits& limits)
        : handler(handler), limits(limits), lexer(source), coroutine([this] { Body(); }) {
        lexer.SetMaxValueBytes(limits.maxValueBytes);
        source.SetCoroutine(&coroutine);
    }

    // Reads commands until the input ends or a fault; keeps the fault for Feed to throw.
    void Body() {
        try {
            while (ReadOne()) {
            }
        } catch (const Abandoned&) {
        } catch (...) {
            fault = std::current_exception();
        }
    }

    bool ReadOne();
    const CCommandInfo* TakeHeaderInPlace();
    const CCommandInfo& ReadHeader(tokens::TOKEN verb);

    // Runs the reader over the piece; rethrows a fault.
    void Run() {
        if (running) {
            ThrowLocated(kRuntimeErrorCode,
                         ErrorDetail{CTextPosition{}, -1, tokens::NO_TOKEN, "",
                                     "the push reader was fed from one of its own callbacks"});
        }
        if (!fault && !coroutine.Done()) {
            started = true;
            running = true;
            coroutine.Resume();
            running = false;
        }
        source.Done();
        if (fault) {
            std::rethrow_exception(fault);
        }
    }

    CPushReader::IHandler& handler;
    CReadLimits limits;
    PushSource source;
    CLexer lexer;
    ReadState state;
    std::exception_ptr fault;
    bool started = false;
    bool running = false;
    bool inCommand = false;
    Coroutine coroutine;
};

// A header names a command by its verb and direction, both read before either is checked, as
// CParser reads them; the first that names no command is at fault.
const CCommandInfo& PushState::ReadHeader(tokens::TOKEN verb) {
    const CTextPosition verbAt = lexer.GetTokenPosition();
    const std::string verbRead = lexer.DescribeToken();
    const tokens::TOKEN direction = lexer.GetNextToken();
    const CCommandInfo* info = FindCommand(verb, direction);
    if (info == nullptr) {
        bool verbKnown = false;
        for (const CCommandInfo& command : kCommands) {
            verbKnown = verbKnown || command.verb == verb;
        }
        ErrorDetail detail;
        detail.position = verbKnown ? lexer.GetTokenPosition() : verbAt;
        detail.reason = std::string("expected a command; read ") +
                        (verbKnown ? verbRead + " " + lexer.DescribeToken() : verbRead);
        ThrowLocated(kSyntaxErrorCode, std::move(detail));
    }
    return *info;
}

// A header written as the generator writes it, read where the source lends it, leaving the lexer
// as the tokens would; null, reading nothing, when the header is not so.
const CCommandInfo* PushState::TakeHeaderInPlace() {
    RunCursor run(lexer);
    run.SkipBlanks();
    const char* const verbAt = run.next;
    const std::size_t length = run.WordLength();
    const WordEntry* const verb = length == 0 ? nullptr : FindAlphanumericWord(verbAt, length);
    if (verb == nullptr) {
        return nullptr;
    }
    for (const tokens::TOKEN direction : {tokens::KW_INPUT, tokens::KW_OUTPUT}) {
        const CCommandInfo* const info = FindCommand(verb->token, direction);
        if (info != nullptr && run.TakePhrase(kFoldedHeaders[static_cast<std::size_t>(info->id)])) {
            run.MarkToken(verbAt + length + 1, direction);
            run.TakeHeaderBreak();
            run.Commit();
            return info;
        }
    }
    return nullptr;
}

bool PushState::ReadOne() {
    // Blanks before a command belong to it; the end of the input between commands is the end.
    const CCommandInfo* info = TakeHeaderInPlace();
    const tokens::TOKEN verb = info != nullptr ? tokens::NO_TOKEN : lexer.GetNextToken();
    if (verb == tokens::END_OF_INPUT) {
        return false;
    }
    inCommand = true;  // a fault in the header lies within the command
    if (info == nullptr) {
        info = &ReadHeader(verb);
    }
    CCommandHeader header;
    header.verb = info->verb;
    header.direction = info->direction;
    header.command = info->id;
    CSinkChoice choice;
    handler.OnCommand(header, choice);
    if (choice.Command() != header.command) {
        ThrowLocated(kRuntimeErrorCode,
                     ErrorDetail{lexer.GetTokenPosition(), header.command, tokens::NO_TOKEN, "",
                                 "the handler chose no sink of this command's interface"});
    }
    VisitCommand(header.command, [&](auto kind) {
        using Sink = typename decltype(kind)::Sink;
        Reader reader(lexer, state, header.command, limits, true);
        reader.Run(*static_cast<Sink*>(choice.Sink()));
    });
    inCommand = false;
    handler.OnCommandEnd(header);
    return true;
}

}  // namespace detail

CPushReader::IHandler::~IHandler() = default;

CPushReader::CPushReader(IHandler& handler, const CReadLimits& limits)
    : state_(std::make_unique<detail::PushState>(handler, limits)) {}

// A reader paused inside a command is made to unwind its stack before the stack goes.
CPushReader::~CPushReader() {
    detail::PushState& state = *state_;
    if (state.started && !state.coroutine.Done() && !state.running) {
        state.source.Abandon();
        state.coroutine.Resume();
    }
}

void CPushReader::Feed(const char* data, std::size_t size) {
    if (state_->source.Ended() && !state_->fault) {
        detail::ThrowLocated(detail::kRuntimeErrorCode,
                             detail::ErrorDetail{CTextPosition{}, -1, tokens::NO_TOKEN, "",
                                                 "bytes were fed after Finish"});
    }
    state_->source.Hand(data, size);
    state_->Run();
}

void CPushReader::Finish() {
    state_->source.End();
    state_->Run();
}

std::uint64_t CPushReader::Consumed() const {
    return state_->source.Read();
}

bool CPushReader::InCommand() const {
    return state_->inCommand;
}

}  // namespace cmds
