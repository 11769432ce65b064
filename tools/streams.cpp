#include "streams.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace cmds_tool {

namespace {

constexpr std::size_t kChunkSize = std::size_t{64} << 10;
constexpr char kBlanks[] = " \t\r\n";

// The bytes of a line shown before and after the place of a fault.
constexpr std::size_t kBefore = 60;
constexpr std::size_t kAfter = 40;

// Commands of any size: records pass through one at a time. A value is held whole, so values
// keep the limit for untrusted input.
cmds::CReadLimits ReadLimits() {
    cmds::CReadLimits limits = cmds::CReadLimits::ForUntrustedInput();
    limits.maxRecordsPerCommand = 0;
    return limits;
}

// The last bytes of the input, enough to show the line of a fault: the token at fault starts at
// most one value and one piece before the end of what the reader has read.
class RecentBytes {
public:
    explicit RecentBytes(std::size_t kept) : kept_(kept) {}

    void Append(const char* data, std::size_t size) {
        // Dropping only once twice the needed bytes are held moves each byte once on average.
        if (bytes_.size() + size > 2 * kept_) {
            const std::size_t dropped = bytes_.size() - std::min(bytes_.size(), kept_);
            bytes_.erase(0, dropped);
            start_ += dropped;
        }
        bytes_.append(data, size);
    }
    // Reads up to `size` more bytes of `in`, which the reader never asked for.
    void ReadAhead(std::istream& in, std::size_t size) {
        std::string more(size, '\0');
        in.read(more.data(), static_cast<std::streamsize>(size));
        bytes_.append(more.data(), static_cast<std::size_t>(in.gcount()));
    }

    std::uint64_t Start() const { return start_; }
    // The bytes held from `offset` on; none when it lies outside them.
    std::string_view From(std::uint64_t offset) const {
        if (offset < start_ || offset - start_ > bytes_.size()) {
            return {};
        }
        return std::string_view(bytes_).substr(static_cast<std::size_t>(offset - start_));
    }

private:
    std::size_t kept_;
    std::string bytes_;
    std::uint64_t start_ = 0;  // offset in the input of bytes_[0]
};

// What went wrong, without the place, which the failure carries apart.
std::string Reason(const cmds::CCmdError& error) {
    // The reader of a header that names no command can only say that it expected one.
    if (error.Command() < 0 && error.code == cmds::CSyntaxError().code) {
        return std::string(cmds::GetErrorName(error)) +
               ": no command starts this way; a command starts with its verb, then INPUT or "
               "OUTPUT";
    }
    const std::string text = cmds::DescribeError(error);
    return error.Located() ? text.substr(text.find(": ") + 2) : text;
}

// The failure of `error`, with the line around the token at fault taken from `recent` and, when
// the fault came before the rest of the line was read, from `in`.
Failure Place(const cmds::CCmdError& error, RecentBytes& recent, std::istream& in) {
    const cmds::CTextPosition at = error.Position();
    Failure failure;
    failure.reason = Reason(error);
    failure.offset = at.offset;
    failure.line = at.line;
    failure.column = at.column;

    if (const std::string_view rest = recent.From(at.offset);
        rest.size() < kAfter && rest.find('\n') == std::string_view::npos) {
        recent.ReadAhead(in, kAfter - rest.size());
    }
    const std::uint64_t held = at.offset >= recent.Start() ? at.offset - recent.Start() : 0;
    const std::size_t shown =
        static_cast<std::size_t>(std::min<std::uint64_t>({at.column - 1, kBefore, held}));
    const bool cut = shown < at.column - 1;
    const std::string_view line = recent.From(at.offset - shown);
    const std::string_view before = line.substr(0, shown);
    const std::string_view after = line.substr(shown);

    failure.excerpt = (cut ? "..." : "") + std::string(before) +
                      std::string(after.substr(0, std::min(after.find('\n'), kAfter)));
    for (char& c : failure.excerpt) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
            c = ' ';
        }
    }
    // Tabs are kept so that the caret lines up; UTF-8 continuation bytes take no column.
    failure.marker = cut ? "   " : "";
    for (const char c : before) {
        if (c == '\t') {
            failure.marker += '\t';
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            failure.marker += ' ';
        }
    }
    failure.marker += '^';
    return failure;
}

// A sink of every command's interface that keeps nothing, for reading that only validates. A
// command added to the table with callbacks of its own leaves this class abstract until it
// takes them too.
struct Validation {};
#define CMDS_TOOL_DISCARD_BASE(id, Name, verb, direction) , public cmds::I##Name
class Discard final : public Validation CMDS_COMMAND_TABLE(CMDS_TOOL_DISCARD_BASE) {
#undef CMDS_TOOL_DISCARD_BASE
public:
    void OnUser(std::uint64_t, const std::string&) override {}
    void OnError(tagERROR_CODE) override {}
    void OnFile(cmds::FILE_TYPE_ENUM, cmds::CFileInfo&) override {}
    void OnHost(bool, const cmds::CHostInfo&) override {}
    void OnConnectInHost(unsigned short, const std::string&, const cmds::wstring&) override {}
    void OnConnectInFlags(bool, bool, bool) override {}
    void OnConnectOut(std::uint64_t) override {}
    void OnShareOutFile(tagERROR_CODE, std::uint32_t, std::uint64_t) override {}
    void OnUnShareIn(std::uint64_t) override {}
    void OnShareDirIn(std::uint64_t) override {}
    void OnShareDirOut(std::uint64_t) override {}
    void OnSubDir(cmds::CSubDirInfo&) override {}
    void OnDirectoryBegin(const cmds::wstring&, std::uint64_t) override {}
    void OnCase(bool) override {}
    void OnMatch(cmds::eMatch) override {}
    void OnExact(cmds::eExact) override {}
    void OnMax(std::uint32_t) override {}
    void OnKeywords(const cmds::wstring&) override {}
    void OnRank(bool) override {}
    void OnFreetext(bool) override {}
    void OnScope(cmds::eScope) override {}
};

// Counts the commands and, unless `out` is null, writes each as one JSON line, its calls as they
// come.
class JsonLines final : public cmds::CPushReader::IHandler {
public:
    explicit JsonLines(std::ostream* out)
        : out_(out), sink_([this](const Json& call) { AddCall(call); }) {}

    void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override {
        if (out_ == nullptr) {
            cmds::VisitCommand(header.command, [&](auto kind) {
                choice.Use(static_cast<typename decltype(kind)::Sink&>(discard_));
            });
            return;
        }
        sink_.Use(header.command, choice);
        // The object without its calls, open where they go.
        line_ = CommandObject(header.command, Json::array()).dump();
        line_.resize(line_.size() - 2);
        firstCall_ = true;
    }
    void OnCommandEnd(const cmds::CCommandHeader&) override {
        ++commands_;
        if (out_ != nullptr) {
            line_ += "]}\n";
            Write();
            written_ = false;
        }
    }

    // The command being read failed: the part of its line already written is ended.
    void EndFailed() {
        if (written_) {
            line_ += '\n';
            Write();
        }
    }
    std::uint64_t Commands() const { return commands_; }

private:
    void AddCall(const Json& call) {
        if (!firstCall_) {
            line_ += ',';
        }
        firstCall_ = false;
        line_ += call.dump();
        if (line_.size() >= kHeldJsonBytes) {
            Write();
            written_ = true;
        }
    }
    void Write() {
        out_->write(line_.data(), static_cast<std::streamsize>(line_.size()));
        line_.clear();
    }

    std::ostream* out_;
    CallSink sink_;
    Discard discard_;
    std::string line_;  // the JSON of the command being read not written yet
    bool firstCall_ = true;
    bool written_ = false;  // whether part of the command being read has been written
    std::uint64_t commands_ = 0;
};

Json ParseLine(const std::string& line) {
    try {
        return Json::parse(line);
    } catch (const Json::exception& error) {
        // The message starts with the parser's own tag in brackets; the rest says what and where.
        const std::string what = error.what();
        const std::size_t tagEnd = what.find("] ");
        throw EncodeError("bad JSON: " +
                          (tagEnd == std::string::npos ? what : what.substr(tagEnd + 2)));
    }
}

}  // namespace

Decoded DecodeStream(std::istream& in, std::ostream* out, const Progress& progress) {
    const cmds::CReadLimits limits = ReadLimits();
    JsonLines lines(out);
    cmds::CPushReader reader(lines, limits);
    RecentBytes recent(limits.maxValueBytes + kChunkSize + kBefore + 2);
    std::vector<char> chunk(kChunkSize);
    std::uint64_t bytesRead = 0;
    try {
        while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
               in.gcount() > 0) {
            const auto got = static_cast<std::size_t>(in.gcount());
            recent.Append(chunk.data(), got);
            reader.Feed(chunk.data(), got);
            bytesRead += got;
            if (progress) {
                progress(bytesRead);
            }
        }
        if (in.bad()) {
            throw std::ios_base::failure("read error");
        }
        reader.Finish();
    } catch (const cmds::CCmdError& error) {
        lines.EndFailed();
        return {lines.Commands(), Place(error, recent, in)};
    }
    return {lines.Commands(), std::nullopt};
}

std::string FormatFailure(const Failure& failure, std::string_view inputName) {
    std::ostringstream out;
    out << inputName << ':' << failure.line << ':' << failure.column << ": " << failure.reason
        << '\n'
        << failure.excerpt << '\n'
        << failure.marker << '\n';
    return out.str();
}

void EncodeStream(std::istream& in, std::ostream& out, const Progress& progress) {
    std::string line;
    std::uint64_t lineNumber = 0;
    std::uint64_t bytesRead = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        bytesRead += line.size() + 1;
        if (line.find_first_not_of(kBlanks) == std::string::npos) {
            continue;
        }
        // Each command is written whole or not at all.
        cmds::CStrStmGenerator generator;
        try {
            EncodeCommand(ParseLine(line), generator);
        } catch (const EncodeError& error) {
            throw EncodeError("line " + std::to_string(lineNumber) + ": " + error.what());
        }
        out << generator.str();
        if (progress) {
            progress(bytesRead);
        }
    }
    if (in.bad()) {
        throw std::ios_base::failure("read error");
    }
}

}  // namespace cmds_tool
