#include "cmds/generator/generator.h"
