// Shared ground of every folder: the program's error type, number conversions
// with the window's decimal-separator rules, and the two text encodings
// (shape lines are Latin-1 bytes, everything else is UTF-8).
#pragma once
#include "common/AtomicFile.h"
#include "common/Convert.h"
#include "common/Error.h"
#include "common/Text.h"
