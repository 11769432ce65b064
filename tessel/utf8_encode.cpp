// UTF-8 encoding of 16-bit code-unit strings: standard UTF-8, except that the apostrophe U+0027
// is written as the overlong form C0 A7 (so the text never contains the byte 0x27) and an
// unpaired surrogate is written as its own three-byte form.
#include "cmds/support/tessel.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "cmds/support/utf8_encode_internal.h"

namespace {

// Units converted per round of ConvertUnicodeToUTF8. A unit takes at most three bytes; a
// surrogate pair that starts on the last unit of a round may take one unit of the next round
// along, with four bytes for the two.
constexpr std::size_t kChunkUnits = 128;
constexpr std::size_t kChunkBytes = kChunkUnits * 3 + 1 + cmds::detail::kEncodingSlack;

}  // namespace

int ConvertUnicodeToUTF8(const std::basic_string<unsigned short>& source, std::string& target) {
    const std::size_t n = source.size();
    const unsigned short* const in = source.data();

    // Each round converts into a buffer on the stack that is then appended, so the target is
    // never filled with bytes only to have them overwritten.
    char chunk[kChunkBytes];
    target.clear();

    std::size_t i = 0;
    while (i < n) {
        const std::size_t roundEnd = i + std::min(n - i, kChunkUnits);
        // The forms of the apostrophe and of unpaired surrogates are this library's own.
        bool irregular = false;
        const char* const out = cmds::detail::EncodeUnits(in, i, roundEnd, chunk, irregular);
        target.append(chunk, static_cast<std::size_t>(out - chunk));
    }
    return static_cast<int>(target.size());
}
