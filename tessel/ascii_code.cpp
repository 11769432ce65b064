#include "cmds/support/tessel.h"
