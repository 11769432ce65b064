// Every writer read back by its reader, through the round-trip driver: over pseudo-random
// inputs whose bytes lean to the values that break writers and readers, and over inputs built to
// carry such values on purpose. The driver aborts, naming what was violated, on the first value
// that does not come back as written.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "recorder.h"
#include "round_trip.h"

namespace {

using namespace testing_support;
using namespace std::literals;

// An input laid out the way the driver draws its values: a writer is picked by a byte, a
// number is a byte count and big-endian bytes, a text a length under 16 and its units.
class Input {
public:
    static constexpr unsigned kConnect = 0, kFind = 5;  // the driver's writers of those commands

    Input& Byte(unsigned byte) {
        bytes_.push_back(static_cast<std::uint8_t>(byte));
        return *this;
    }
    Input& Number(std::uint64_t value) {
        Byte(8);
        for (int shift = 56; shift >= 0; shift -= 8) {
            Byte(static_cast<std::uint8_t>(value >> shift));
        }
        return *this;
    }
    template <typename Char>
    Input& Text(std::basic_string_view<Char> text) {
        Byte(static_cast<unsigned>(text.size()));
        for (Char c : text) {
            if (sizeof(Char) == 2) {
                Byte(static_cast<unsigned>(c) >> 8);
            }
            Byte(static_cast<unsigned>(c) & 0xFF);
        }
        return *this;
    }
    void RoundTrip() const { RoundTripCommands(bytes_.data(), bytes_.size()); }

private:
    std::vector<std::uint8_t> bytes_;
};

// Bytes that make zeros, all-ones, apostrophes, surrogates, full 64-bit numbers and the longest
// texts and lists likely, and any other byte.
TEST(RoundTrip, PseudoRandomInputs) {
    std::mt19937 rng(2024);
    const std::uint8_t leaning[] = {0x00, 0xFF, 0x27, 0x80, 0xD8, 0xDC, 0x08, 0x0F, 0x07};
    for (int input = 0; input < 400; ++input) {
        std::vector<std::uint8_t> bytes(rng() % 600);
        for (std::uint8_t& byte : bytes) {
            byte =
                static_cast<std::uint8_t>(rng() % 2 ? leaning[rng() % std::size(leaning)] : rng());
        }
        RoundTripCommands(bytes.data(), bytes.size());
    }
}

// Every byte value in a CONNECT address, with the extreme numbers and awkward texts around it.
TEST(RoundTrip, ConnectWithEveryAddressByteAndExtremeValues) {
    Input input;
    for (unsigned first = 0; first < 256; first += 15) {
        std::string address;
        for (unsigned byte = first; byte < first + 15 && byte < 256; ++byte) {
            address += static_cast<char>(byte);
        }
        input.Byte(Input::kConnect)
            .Number(UINT64_MAX)
            .Text(u"it's ''"sv)
            .Text(std::string_view(address));
        input.Number(65535)
            .Text(u"\xD800 \xDC00\xD800 \xDBFF"sv)
            .Byte(1)
            .Byte(0)
            .Byte(1)
            .Byte(first & 1);
        input.Number(0x80000000).Number(UINT64_MAX).Byte(first & 2 ? 1 : 0);
    }
    input.RoundTrip();
}

// Every value of the three FIND options, the ones one past either end of the named values
// included, with every flag and the maximum of 0 (read as 100), 1 and UINT32_MAX.
TEST(RoundTrip, FindRequestWithEveryOptionValue) {
    Input input;
    const std::uint64_t maxes[] = {0, 1, UINT32_MAX};
    for (unsigned i = 0; i < 150; ++i) {
        input.Byte(Input::kFind).Number(i).Text(u"'\"\r\n"sv).Text(u"\U0001F600 \xFFFF"sv);
        input.Byte(i % 5).Byte(i / 5 % 6).Byte(i / 30 % 5).Byte(i).Byte(i >> 1).Byte(i >> 2);
        input.Number(maxes[i % 3]).Byte(i >> 3);
    }
    input.RoundTrip();
}

// Values far longer than any buffer a writer gathers its pieces in, each after other pieces.
TEST(RoundTrip, ValuesLongerThanTheWritersBuffers) {
    const cmds::wstring pwd = {'p'};
    const std::string address(5000, 'a');
    cmds::wstring host;
    for (unsigned i = 0; i < 3000; ++i) {
        host += static_cast<unsigned short>(0x20 + i * 37 % 0xD000);
    }
    Calls want;
    ConnectIn expect(want);
    expect.OnUser(7, SignUserPwd(pwd));
    expect.OnConnectInHost(80, address, host);
    expect.OnConnectInFlags(true, false, true);
    std::ostringstream written;
    cmds::CGenerator(written).GenerateConnectIn(7, pwd, address, 80, host, true, false, true);
    EXPECT_EQ(ParseText<ConnectIn>(written.str()), want);
    EXPECT_EQ(
        ParseText<ConnectIn>(cmds::GenerateConnectIn(7, pwd, address, 80, host, true, false, true)),
        want);
}

TEST(RoundTrip, EmptyConnectAddressIsLeftOutSoTheReaderRejectsIt) {
    const cmds::wstring pwd = {'p'};
    Calls want;
    ConnectIn(want).OnUser(7, SignUserPwd(pwd));
    want.push_back("throws CSemanticError");
    EXPECT_EQ(ParseText<ConnectIn>(cmds::GenerateConnectIn(7, pwd, "", 80, {}, true, true, true)),
              want);
}

}  // namespace
