// The text page's rules without the widgets: places in the text counted the
// way the caret counts them, the jumps and the forward search, and the page
// layout of the settings printout.
#pragma once
#include "ui/SettingsPrintout.h"
#include "ui/TextCaret.h"
#include "ui/TextSearch.h"
