// A host's own UTF-8 conversion, which marks its output so that a test can tell it was called
// rather than the default support library's.
#include <cmds/support/tessel.h>

int ConvertUnicodeToUTF8(const std::basic_string<unsigned short>& source, std::string& target) {
    target = "host:";
    for (const unsigned short unit : source) {
        target += (unit < 0x80 && unit != 0x27) ? static_cast<char>(unit) : '?';
    }
    return static_cast<int>(target.size());
}
