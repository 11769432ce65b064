#include "cmds/version.h"

namespace cmds {

const char* GetVersion() {
    return CMDS_VERSION_STRING;
}

}  // namespace cmds
