// Writes a wide string and checks that the host's own ConvertUnicodeToUTF8 wrote it. The text
// holds a unit outside ASCII, which only a conversion can write.
#include <cmds/cmds.h>

#include <iostream>
#include <string>

int main() {
    cmds::CStrStmGenerator gen;
    gen.GenerateDirectoryBegin(tagERROR_CODE{}, {'d', 0xE9}, 1);
    gen.GenerateDirectoryEnd();
    const std::string text = gen.str();
    if (text.find("'host:d?'") == std::string::npos) {
        std::cerr << "the host's ConvertUnicodeToUTF8 was not called: " << text << '\n';
        return 1;
    }
    return 0;
}
