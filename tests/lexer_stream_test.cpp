#include <gtest/gtest.h>

#include "cmds/cmds.h"
