// The simulator's tools: where the simulator is installed (the registry, or
// the registry and drives of a Wine prefix), and the conversion of shape files
// through its utility, run by a batch file that Windows or Wine starts.
#pragma once
#include "simtools/CompressionScript.h"
#include "simtools/ScriptLauncher.h"
#include "simtools/SimulatorPath.h"
#include "simtools/WineRegistry.h"
