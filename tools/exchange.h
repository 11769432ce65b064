// The sample exchange of the tool: one command of every kind, and the feed-stream demo over it.
#ifndef CMDS_TOOLS_EXCHANGE_H
#define CMDS_TOOLS_EXCHANGE_H

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace cmds_tool {

// Every request and reply of the language once, as the generator writes them, in exchange
// order. examples/exchange.txt holds their text.
std::vector<std::string> ExchangeCommands();

// A sender thread inserts the exchange into a feed stream in chunks of 1 to 16 bytes drawn from
// `seed`, pausing between them, while this thread parses each command as it arrives and writes
// it onto `out` as one JSON line. Returns the number of chunks. Errors of the parser pass
// through once the sender has finished.
std::size_t RunDemo(std::ostream& out, std::uint32_t seed);

}  // namespace cmds_tool

#endif
