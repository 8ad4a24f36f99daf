// What opening, saving and closing a shape share beyond the form: the full
// path of a chosen file, its folder and name as the program INI keeps them,
// and the window title that names the open file.
#pragma once
#include "document/DocumentPaths.h"
