// Writers and readers of every command against each other, driven by arbitrary bytes.
#ifndef CMDS_TESTS_SUPPORT_ROUND_TRIP_H
#define CMDS_TESTS_SUPPORT_ROUND_TRIP_H

#include <cstddef>
#include <cstdint>

namespace testing_support {

// The bytes pick a sequence of commands and every value in them (a writer by a byte, a number
// as a byte count and big-endian bytes, a text as a length under 16 and its units); the commands
// are written back to back and read back by one parser, which must make exactly the calls that
// carry the values written, and nothing after. Aborts on the first violation.
void RoundTripCommands(const std::uint8_t* data, std::size_t size);

}  // namespace testing_support

#endif
