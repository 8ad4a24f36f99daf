// The document and its file format: the shape text as Latin-1 lines, the
// shared tokenizer, the reader and writer of ".s" files, the analysis into
// elements and the check of a whole shape against what the simulator loads.
#pragma once
#include "shape/AnalyseShape.h"
#include "shape/NextToken.h"
#include "shape/ShapeCheck.h"
#include "shape/ShapeFile.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"
