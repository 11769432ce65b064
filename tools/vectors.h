// Test vectors of the command language: a command's text with the callbacks and the error that
// reading it must give. vectors/README.md describes the file format.
#ifndef CMDS_TOOLS_VECTORS_H
#define CMDS_TOOLS_VECTORS_H

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "codec.h"

namespace cmds_tool {

// A vector line that does not follow the format; what() says which field and why.
class VectorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TestVector {
    std::string name;
    cmds::eCommand command = cmds::eCommandConnectIn;
    std::string text;  // the bytes read
    // {"calls": [...], "error": null or {"type", "offset", "line", "column", "reason"}}
    Json outcome;
    // Whether the generator writes `text` from the calls; for accepted vectors only.
    bool layout = false;
    // The plain password whose signature a request's OnUser carries, in the form of "password"
    // in `cmds encode` input; empty when the vector is not written back.
    std::string password;
};

// One line of a vector file. Throws VectorError.
TestVector ParseVector(const std::string& line);

// What the library makes of the next command of the kind `command` in `source`, in the form of
// TestVector::outcome.
Json ReadOutcome(cmds::CLexerStream& source, cmds::eCommand command);

// What differs between `outcome` and the one `vector` expects, or "" when nothing does.
std::string CompareOutcome(const TestVector& vector, const Json& outcome);

// Every fault of the library on `vector`: reading its text from a string source (which must stop
// right after an accepted command), and for a vector in the generator's layout, writing its calls
// back, which must give its text byte for byte. Empty when the vector passes.
std::vector<std::string> CheckVector(const TestVector& vector);

struct VectorTally {
    std::uint64_t passed = 0;
    std::uint64_t failed = 0;
};

// Checks every vector of a vector file, `in`, writing one line per failed vector onto `report`:
// "NAME:LINE: vector name: what is wrong". A line that is no vector counts as failed. Throws
// std::ios_base::failure when `in` fails.
VectorTally CheckVectorFile(std::istream& in, std::string_view inputName, std::ostream& report);

}  // namespace cmds_tool

#endif
