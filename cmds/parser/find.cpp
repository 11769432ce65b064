#include "cmds/parser/parser.h"
