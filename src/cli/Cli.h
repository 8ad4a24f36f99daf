// quarvel-cli: the window's form driven from the command line, its options,
// its answers to the form's questions and messages, and the tables, the
// check and the printout it writes for scripts.
#pragma once
#include "cli/CliCheck.h"
#include "cli/CliDialogs.h"
#include "cli/CliInfo.h"
#include "cli/CliOptions.h"
#include "cli/CliPrinter.h"
#include "cli/CliRun.h"
