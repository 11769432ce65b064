// Values drawn from arbitrary bytes, for the fuzz targets and the tests that replay inputs built
// for them, and the check that aborts on a finding.
#ifndef CMDS_TESTS_SUPPORT_DRAWN_BYTES_H
#define CMDS_TESTS_SUPPORT_DRAWN_BYTES_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cmds/cmds.h"

namespace testing_support {

// A finding: says what was violated and aborts, so the fuzzer keeps the input.
inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}

// Draws values from the input front to back; past its end every value is zero or empty.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return rest_.empty(); }
    std::uint8_t Byte() {
        if (rest_.empty()) {
            return 0;
        }
        const auto byte = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }
    bool Flag() { return Byte() & 1; }
    // Zero to eight bytes, so that small numbers, 0 and all-ones are all near at hand.
    std::uint64_t Number() {
        std::uint64_t value = 0;
        for (int bytes = Byte() % 9; bytes > 0; --bytes) {
            value = value << 8 | Byte();
        }
        return value;
    }
    std::string Narrow() {
        std::string text;
        for (int length = Byte() % 16; length > 0 && !rest_.empty(); --length) {
            text += static_cast<char>(Byte());
        }
        return text;
    }
    cmds::wstring Wide() {
        cmds::wstring text;
        for (int length = Byte() % 16; length > 0 && !rest_.empty(); --length) {
            const unsigned high = Byte();
            text += static_cast<unsigned short>(high << 8 | Byte());
        }
        return text;
    }
    std::string_view Rest() {
        const std::string_view rest = rest_;
        rest_ = {};
        return rest;
    }

private:
    std::string_view rest_;
};

}  // namespace testing_support

#endif
