#include "cmds/interfaces/commands.h"

namespace cmds {

const CCommandInfo* FindCommand(tokens::TOKEN verb, tokens::TOKEN direction) {
    for (const CCommandInfo& info : kCommands) {
        if (info.verb == verb && info.direction == direction) {
            return &info;
        }
    }
    return nullptr;
}

}  // namespace cmds
