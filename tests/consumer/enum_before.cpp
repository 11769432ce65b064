// A host that defines the enumerators of tagERROR_CODE before including the library's headers.
#include <cstdint>

enum tagERROR_CODE : std::int32_t { kOk = 0, kDenied = 7, kBusy = -2 };

#include <cmds/cmds.h>

#include "host_errors.h"

int main() {
    return host::CheckHostErrors();
}
