// What the program keeps between runs: its profile (INI) files with the
// semantics the window relies on, and the settings file beside each shape
// with the plan, the LOD set-up and the merge tolerances.
#pragma once
#include "settings/IniFile.h"
#include "settings/SettingsFile.h"
