// The window in Qt: the widgets that show the headless Form and forward its
// events, and the Qt side of the form's ports (message boxes and file dialogs,
// printers, system information, Qt's own texts in the user's language).
#pragma once
#include "app/GridView.h"
#include "app/PagePrinter.h"
#include "app/PdfPrinter.h"
#include "app/QtDialogs.h"
#include "app/QtLanguage.h"
#include "app/QtPrinter.h"
#include "app/QtSystemInfo.h"
#include "app/ShapeTextView.h"
#include "app/TQVForm.h"
