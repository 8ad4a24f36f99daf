// Shared ground of every folder: the program's error type, number conversions
// with the window's decimal-separator rules, the two text encodings (shape
// lines are Latin-1 bytes, everything else is UTF-8) and safe file replacing.
#pragma once
#include "common/Convert.h"
#include "common/Error.h"
#include "common/FileReplace.h"
#include "common/Text.h"
#include "common/Utf8Path.h"
