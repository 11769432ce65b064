// The cmds command-line tool: decode, encode and check command text, run test vectors, and a
// feed-stream demo.
#include <unistd.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "codec.h"
#include "exchange.h"
#include "streams.h"
#include "vectors.h"

namespace {

constexpr int kBadInput = 1;
constexpr int kUnreadable = 2;

// Shows on stderr how far a long input has been read, when stderr is a terminal.
class ProgressLine {
public:
    ProgressLine(const char* action, std::uint64_t total)
        : action_(action), total_(total), enabled_(isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    cmds_tool::Progress Callback() {
        if (!enabled_) {
            return nullptr;
        }
        return [this](std::uint64_t bytesRead) { Show(bytesRead >> 20); };
    }

    // Erases the line, so that a report printed next starts on a clean line.
    void Clear() {
        if (width_ > 0) {
            std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
            width_ = 0;
        }
    }

private:
    // Short inputs are done before a person would look.
    static constexpr std::uint64_t kFirstMiB = 4;

    void Show(std::uint64_t mib) {
        if (mib < kFirstMiB || mib == shownMiB_) {
            return;
        }
        shownMiB_ = mib;
        std::string line = "cmds " + std::string(action_) + ": " + std::to_string(mib) + " MiB";
        if (total_ > 0) {
            line += " of " + std::to_string(total_ >> 20) + " MiB";
        }
        width_ = std::max(width_, line.size());
        std::cerr << '\r' << line << std::flush;
    }

    const char* action_;
    std::uint64_t total_;
    bool enabled_;
    std::uint64_t shownMiB_ = 0;
    std::size_t width_ = 0;
};

// The input named on the command line: a file, or standard input for "-".
struct Input {
    std::ifstream file;
    std::istream* stream = &std::cin;
    std::string name = "<stdin>";
    std::uint64_t size = 0;  // 0 when unknown
};

// Opens `path` into `input`; says why on stderr and returns false when it cannot be read.
bool Open(const std::string& path, Input& input) {
    if (path == "-") {
        return true;
    }
    input.name = path;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        std::cerr << "cmds: cannot read " << path << ": it is a directory\n";
        return false;
    }
    input.file.open(path, std::ios::binary);
    if (!input.file) {
        std::cerr << "cmds: cannot read " << path << ": " << std::strerror(errno) << '\n';
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    input.size = error ? 0 : size;
    input.stream = &input.file;
    return true;
}

int Decode(Input& input) {
    ProgressLine progress("decode", input.size);
    const cmds_tool::Decoded decoded =
        cmds_tool::DecodeStream(*input.stream, &std::cout, progress.Callback());
    std::cout.flush();
    progress.Clear();
    if (decoded.failure) {
        std::cerr << cmds_tool::FormatFailure(*decoded.failure, input.name);
        return kBadInput;
    }
    return 0;
}

int Check(Input& input) {
    ProgressLine progress("check", input.size);
    const cmds_tool::Decoded decoded =
        cmds_tool::DecodeStream(*input.stream, nullptr, progress.Callback());
    progress.Clear();
    if (decoded.failure) {
        std::cerr << cmds_tool::FormatFailure(*decoded.failure, input.name);
        return kBadInput;
    }
    std::cout << input.name << ": " << decoded.commands << " commands, all valid\n";
    return 0;
}

int Encode(Input& input) {
    ProgressLine progress("encode", input.size);
    try {
        cmds_tool::EncodeStream(*input.stream, std::cout, progress.Callback());
    } catch (const cmds_tool::EncodeError& error) {
        std::cout.flush();
        progress.Clear();
        std::cerr << "cmds encode: " << input.name << ": " << error.what() << '\n';
        return kBadInput;
    }
    std::cout.flush();
    return 0;
}

int RunVectors(const std::vector<std::string>& paths) {
    cmds_tool::VectorTally total;
    for (const std::string& path : paths) {
        Input input;
        if (!Open(path, input)) {
            return kUnreadable;
        }
        try {
            const cmds_tool::VectorTally tally =
                cmds_tool::CheckVectorFile(*input.stream, input.name, std::cout);
            total.passed += tally.passed;
            total.failed += tally.failed;
        } catch (const std::ios_base::failure&) {
            std::cout.flush();
            std::cerr << "cmds: cannot read " << input.name << '\n';
            return kUnreadable;
        }
    }
    std::cout << total.passed << " passed, " << total.failed << " failed\n";
    return total.failed == 0 ? 0 : kBadInput;
}

int Demo(bool textOnly) {
    if (textOnly) {
        for (const std::string& command : cmds_tool::ExchangeCommands()) {
            std::cout << command;
        }
        return 0;
    }
    try {
        const std::size_t chunks = cmds_tool::RunDemo(std::cout, std::random_device{}());
        std::cout << "The sender thread wrote the exchange in " << chunks
                  << " chunks of 1 to 16 bytes.\n";
    } catch (const cmds::CCmdError& error) {
        std::cerr << "cmds demo: " << cmds::DescribeError(error) << '\n';
        return kBadInput;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    // Command text ends its lines with CR LF, and a byte 0x1A is data: standard input and output
    // in text mode would change both.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    CLI::App app("Reads, writes and checks commands of the cmds language.", "cmds");
    // A FILE starting with '/' is a path on every platform, never a Windows-style option.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("cmds ") + cmds::GetVersion(),
                         "Print the version of the library in use and exit");
    app.require_subcommand(1);
    std::string path = "-";
    const char* const fileHelp = "Input file; standard input when absent or -";
    const char* const exitStatus =
        "Exit status: 0 on success, 1 at the first bad input (reported on stderr), 2 when FILE "
        "cannot be read.";

    CLI::App* decode = app.add_subcommand(
        "decode",
        "Print each command of FILE as one JSON object per line: verb, direction and "
        "the parser's callbacks in order with their values.");
    decode->add_option("FILE", path, fileHelp);
    decode->footer(
        "Narrow strings show bytes outside printable ASCII, and '%', as %XX; wide strings show "
        "'%' as %25 and unpaired surrogates as %uXXXX. A request shows the signed password as "
        "its \"pwd\". Errors are reported as by check.\n" +
        std::string(exitStatus));

    CLI::App* encode = app.add_subcommand(
        "encode", "Write the command text of each JSON line of FILE, in the form decode prints.");
    encode->add_option("FILE", path, fileHelp);
    encode->footer(
        "A request's OnUser takes the plain \"password\", which the generator signs. An absent "
        "field is 0, false or empty; online is true when absent.\n" +
        std::string(exitStatus));

    CLI::App* check = app.add_subcommand(
        "check",
        "Validate the commands of FILE; at the first error print its line:column "
        "and what is wrong, then the line with a caret under the token at "
        "fault.");
    check->add_option("FILE", path, fileHelp);
    check->footer(exitStatus);

    std::vector<std::string> vectorPaths;
    CLI::App* vectors = app.add_subcommand(
        "vectors",
        "Run the test vectors of each FILE against the library: read each vector's text and "
        "compare the callbacks and the error with the vector's; write an accepted vector's calls "
        "back and compare the bytes with its text when it is in the generator's layout.");
    vectors->add_option("FILE", vectorPaths, "Vector files, one JSON object a line")->required();
    vectors->footer(
        "Prints one line per failed vector, then \"N passed, M failed\". Exit status: 0 when all "
        "pass, 1 when any fails, 2 when a FILE cannot be read.");

    bool textOnly = false;
    CLI::App* demo = app.add_subcommand(
        "demo",
        "A sender thread writes an exchange of every command kind into a feed stream in "
        "small random chunks while the main thread reads and prints each command.");
    demo->add_flag("--text", textOnly,
                   "Print the exchange's command text instead (examples/exchange.txt)");

    CLI11_PARSE(app, argc, argv);

    if (demo->parsed()) {
        return Demo(textOnly);
    }
    if (vectors->parsed()) {
        return RunVectors(vectorPaths);
    }
    Input input;
    if (!Open(path, input)) {
        return kUnreadable;
    }
    try {
        if (decode->parsed()) {
            return Decode(input);
        }
        if (encode->parsed()) {
            return Encode(input);
        }
        return Check(input);
    } catch (const std::ios_base::failure&) {
        std::cout.flush();
        std::cerr << "cmds: cannot read " << input.name << '\n';
        return kUnreadable;
    }
}
