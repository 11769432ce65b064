// The support codings: arbitrary byte strings and 16-bit sequences come back unchanged and
// never hold the quote that would end their quoted string early; the decoders take arbitrary
// bytes, replace whatever their target held, and never grow the text.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzzing::Require;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::string code, decoded = "stale";
    ConvertStringToASCIIcode(bytes, code);
    Require(code.find('"') == std::string::npos, "the narrow code holds no double quote");
    Require(ConvertASCIIcodeToString(code, decoded), "the narrow code decodes cleanly");
    Require(decoded == bytes, "bytes come back unchanged");

    cmds::wstring units;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units += static_cast<unsigned short>(data[i] | data[i + 1] << 8);
    }
    std::string utf8 = "stale";
    cmds::wstring back(5, 'x');
    Require(ConvertUnicodeToUTF8(units, utf8) == static_cast<int>(utf8.size()),
            "the UTF-8 writer counts its bytes");
    Require(utf8.find('\'') == std::string::npos, "the UTF-8 form holds no apostrophe");
    Require(ConvertUTF8ToUnicode(utf8, back) == 0, "the UTF-8 form decodes cleanly");
    Require(back == units, "16-bit units come back unchanged");

    cmds::wstring wide(7, 'x');
    ConvertUTF8ToUnicode(bytes, wide);
    Require(wide.size() <= bytes.size(), "a byte decodes to at most one unit");
    std::string narrow = "stale";
    ConvertASCIIcodeToString(bytes, narrow);
    Require(narrow.size() <= bytes.size(), "a code byte decodes to at most one byte");

    const std::string signature = SignUserPwd(units);
    Require(signature.size() == 64 &&
                signature.find_first_not_of("0123456789abcdef") == std::string::npos,
            "a signature is 64 lower-case hexadecimal digits");
    return 0;
}
