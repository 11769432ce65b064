// The other four support functions of a host that links no default support library: bytes stand
// for themselves and a password signs as zeros.
#include <cmds/support/tessel.h>

int ConvertUTF8ToUnicode(const std::string& source, std::basic_string<unsigned short>& target) {
    target.assign(source.begin(), source.end());
    return 0;
}

bool ConvertStringToASCIIcode(const std::string& source, std::string& target) {
    target = source;
    return true;
}

bool ConvertASCIIcodeToString(const std::string& source, std::string& target) {
    target = source;
    return true;
}

std::string SignUserPwd(const std::basic_string<unsigned short>&) {
    return std::string(64, '0');
}
