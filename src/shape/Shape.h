// The document and its file format: the shape text as Latin-1 lines, the
// shared tokenizer, the reader and writer of ".s" files, the analysis into
// elements.
#pragma once
#include "shape/AnalyseShape.h"
#include "shape/NextToken.h"
#include "shape/ShapeFile.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"
