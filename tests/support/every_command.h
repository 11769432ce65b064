// One script that writes every command, for the tests that must see each kind at least once.
#ifndef CMDS_TESTS_SUPPORT_EVERY_COMMAND_H
#define CMDS_TESTS_SUPPORT_EVERY_COMMAND_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cmds/cmds.h"

namespace testing_support {

// How many commands at the end of the script are broken.
inline constexpr std::size_t kBrokenCommands = 5;

// Every command kind once, each text one command, with quotes that hide ";" and the other quote,
// then kBrokenCommands broken commands that stop a reader in the middle.
std::vector<std::string> EveryCommandScript();

}  // namespace testing_support

#endif
