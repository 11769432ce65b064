// The round-trip driver on arbitrary bytes: it aborts, naming what was violated, when a value
// written by a writer does not come back from its reader.
#include "round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testing_support::RoundTripCommands(data, size);
    return 0;
}
