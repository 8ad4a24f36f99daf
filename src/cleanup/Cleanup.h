// Geometry clean-up: merging near-duplicate points and normals of a shape
// within a tolerance, exactly as 80-bit extended arithmetic decides it, and
// the correction of the light materials a modelling tool gets wrong.
#pragma once
#include "cleanup/ExtendedNumber.h"
#include "cleanup/MaterialCorrection.h"
#include "cleanup/MergePlan.h"
#include "cleanup/MergeSection.h"
#include "cleanup/MergeTable.h"
