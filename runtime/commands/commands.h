// Everything of the runtime's value kinds and commands, for code that uses many of them.
#pragma once

#include "runtime/commands/byte_set_commands.h"
#include "runtime/commands/conversions.h"
#include "runtime/commands/guards.h"
#include "runtime/commands/sort_array.h"
#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"
#include "runtime/commands/values.h"
