// The feed stream against the string source: the first byte picks the reader by command id, the
// second how many chunks the next bytes measure out (1 to 256 bytes each, the rest of the text
// being the last). A second thread inserts the chunks while this one reads commands until one
// throws; the calls must equal those read from a string, and GetData must hold the whole text. A
// reader left waiting by a lost wake-up shows as a time-out.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzing;
    Bytes bytes(data, size);
    const std::uint8_t reader = bytes.Byte();
    std::vector<std::size_t> lengths(bytes.Byte() % 16);
    for (std::size_t& length : lengths) {
        length = 1 + bytes.Byte();
    }
    const std::string text(bytes.Rest());
    std::vector<std::string_view> chunks;
    std::string_view rest = text;
    for (std::size_t length : lengths) {
        chunks.push_back(rest.substr(0, length));
        rest.remove_prefix(chunks.back().size());
    }
    chunks.push_back(rest);

    WithReader(reader, [&](cmds::eCommand, auto* sinkType) {
        using Sink = std::remove_pointer_t<decltype(sinkType)>;
        cmds::CStrLexerStream whole(text);
        const std::vector<Calls> expected = ReadAll<Sink>(whole);
        cmds::CMtLexerStream feed;
        {
            Feeder feeder(feed, chunks);
            Require(ReadAll<Sink>(feed) == expected, "the same calls as from a string");
        }
        std::string inserted;
        feed.GetData(inserted);
        Require(inserted == text, "GetData holds every byte inserted");
    });
    return 0;
}
