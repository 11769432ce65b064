#include "cmds/lexer/lexer.h"
