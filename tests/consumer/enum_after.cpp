// A host that defines the enumerators of tagERROR_CODE after including the library's headers.
#include <cmds/cmds.h>

enum tagERROR_CODE : std::int32_t { kOk = 0, kDenied = 7, kBusy = -2 };

#include "host_errors.h"

int main() {
    return host::CheckHostErrors();
}
