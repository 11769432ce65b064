// The cmds tool reads one SHARE INPUT of 120 MB through a pipe, in decode and in check, with a
// peak resident memory under 64 MiB: it holds neither the command nor its JSON.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>

#include "cmds/cmds.h"

namespace {

constexpr std::uint64_t kInputBytes = 120'000'000;
constexpr long kMaxResidentKiB = 64 * 1024;

// What a run of the tool gave.
struct ToolRun {
    int status = -1;
    long peakKiB = 0;
    std::uint64_t outputBytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t files = 0;  // `"call":"OnFile"` in the output
    std::string head;         // the first bytes of the output
    std::string tail;         // the last bytes of the output
};

// Writes all of `bytes` to `fd`; false when the reader has gone.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes a SHARE INPUT of at least kInputBytes onto `fd` as the generator makes it; returns its
// number of files.
std::uint64_t WriteShareInput(int fd) {
    cmds::CStrStmGenerator out;
    cmds::wstring password(6, 'p');
    out.GenerateShareInBegin(1, password);
    cmds::CFileInfo record;
    record.size = 4096;
    record.keywords = cmds::wstring(13, 'k');
    std::uint64_t written = 0;
    std::uint64_t files = 0;
    while (written < kInputBytes) {
        for (int i = 0; i < 1000; ++i, ++files) {
            record.id = files;
            record.folder = files / 100;
            const std::string name = "photo " + std::to_string(files) + ".jpg";
            record.file.assign(name.begin(), name.end());
            out.GenerateFile(cmds::FILE_PLUS, record);
        }
        const std::string text = out.str();
        out.Reset();
        if (!WriteAll(fd, text)) {
            return files;
        }
        written += text.size();
    }
    out.GenerateShareInEnd();
    WriteAll(fd, out.str());
    return files;
}

// Runs `cmds SUBCOMMAND -` on the generated input; `files` is set to the number of files sent.
ToolRun RunTool(const char* subcommand, std::uint64_t& files) {
    int input[2];
    int output[2];
    EXPECT_EQ(pipe(input), 0);
    EXPECT_EQ(pipe(output), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        close(input[0]);
        close(input[1]);
        close(output[0]);
        close(output[1]);
        execl(CMDS_TOOL, "cmds", subcommand, "-", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(input[0]);
    close(output[1]);

    ToolRun run;
    std::thread reader([&run, fd = output[0]] {
        constexpr std::string_view kFile = R"("call":"OnFile")";
        std::string carried;  // the end of the previous piece, where a match may start
        char buffer[65536];
        for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
            const std::string_view piece(buffer, static_cast<std::size_t>(got));
            run.outputBytes += piece.size();
            for (const char c : piece) {
                run.lines += c == '\n';
            }
            if (run.head.size() < 200) {
                run.head.append(piece.substr(0, 200 - run.head.size()));
            }
            const std::string text = carried + std::string(piece);
            for (std::size_t at = text.find(kFile); at != std::string::npos;
                 at = text.find(kFile, at + 1)) {
                ++run.files;
            }
            carried = text.substr(text.size() - std::min(text.size(), kFile.size() - 1));
            run.tail =
                (run.tail + std::string(piece))
                    .substr(std::max(run.tail.size() + piece.size(), std::size_t{200}) - 200);
        }
        close(fd);
    });
    files = WriteShareInput(input[1]);
    close(input[1]);
    reader.join();

    rusage usage{};
    EXPECT_EQ(wait4(child, &run.status, 0, &usage), child);
    run.peakKiB = usage.ru_maxrss;
    return run;
}

TEST(ToolMemory, DecodesAndChecksA120MBShareInputInBoundedMemory) {
    // A tool that fails early must not end this process by the broken pipe.
    signal(SIGPIPE, SIG_IGN);

    std::uint64_t files = 0;
    const ToolRun decode = RunTool("decode", files);
    EXPECT_EQ(decode.status, 0);
    EXPECT_LT(decode.peakKiB, kMaxResidentKiB);
    EXPECT_EQ(decode.lines, 1u);
    EXPECT_EQ(decode.files, files);
    EXPECT_EQ(
        decode.head.rfind(R"({"verb":"SHARE","direction":"INPUT","calls":[{"call":"OnUser")", 0),
        0u)
        << decode.head;
    EXPECT_EQ(decode.tail.substr(decode.tail.size() - 4), "}]}\n") << decode.tail;
    std::cout << "decode: " << decode.outputBytes << " bytes of JSON, peak resident "
              << decode.peakKiB << " KiB\n";

    const ToolRun check = RunTool("check", files);
    EXPECT_EQ(check.status, 0);
    EXPECT_LT(check.peakKiB, kMaxResidentKiB);
    EXPECT_EQ(check.head, "<stdin>: 1 commands, all valid\n");
    std::cout << "check: peak resident " << check.peakKiB << " KiB\n";
}

}  // namespace
