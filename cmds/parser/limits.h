/// @file
/// Limits on what one reader accepts, so that hostile input cannot make it hold or work without
/// bound. A limit of 0 means no limit.
#ifndef CMDS_PARSER_LIMITS_H
#define CMDS_PARSER_LIMITS_H

#include <cstddef>

namespace cmds {

struct CReadLimits {
    /// The longest value in bytes as written: a word, a digit run, or a quoted string's bytes
    /// between its quotes. Checked before the value is stored. Exceeding it is CLexError.
    std::size_t maxValueBytes = 0;
    /// The most tags in one list (the head of a command or one record). CSyntaxError.
    std::size_t maxTagsPerList = 0;
    /// The most records in one command, nested ones included. CSyntaxError.
    std::size_t maxRecordsPerCommand = 0;

    /// No limit: what a CParser reads unless the host sets limits.
    static constexpr CReadLimits None() { return CReadLimits{}; }
    /// For bytes from peers: 1 MiB values, 1024 tags per list, 10 million records per command.
    static constexpr CReadLimits ForUntrustedInput() {
        return CReadLimits{std::size_t{1} << 20, 1024, 10'000'000};
    }
};

}  // namespace cmds

#endif
