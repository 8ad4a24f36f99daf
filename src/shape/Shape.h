// The document and its file format: the shape text as lines of Latin-1
// characters, the tokenizer the scanning commands share, the reader and
// writer of ".s" files, and the analysis of a shape into elements.
#pragma once
#include "shape/AnalyseShape.h"
#include "shape/NextToken.h"
#include "shape/ShapeFile.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"
