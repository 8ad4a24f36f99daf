// The shape format itself: one grammar table of every block, the reading
// and writing of the binary and compressed forms by it, and the check of a
// shape text against it. Nothing else guesses what a shape may hold.
#pragma once
#include "format/BinaryForm.h"
#include "format/Grammar.h"
#include "format/ShapeCheck.h"
#include "format/ShapeFileForms.h"
#include "format/TextWalker.h"
#include "format/Values.h"
