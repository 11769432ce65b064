// Writes a wide string and checks that the host's own ConvertUnicodeToUTF8 wrote it. The text
// holds an apostrophe, whose form only the support library decides.
#include <cmds/cmds.h>

#include <iostream>
#include <string>

int main() {
    cmds::CStrStmGenerator gen;
    gen.GenerateDirectoryBegin(tagERROR_CODE{}, {'d', 0x27}, 1);
    gen.GenerateDirectoryEnd();
    const std::string text = gen.str();
    if (text.find("'host:d?'") == std::string::npos) {
        std::cerr << "the host's ConvertUnicodeToUTF8 was not called: " << text << '\n';
        return 1;
    }
    return 0;
}
