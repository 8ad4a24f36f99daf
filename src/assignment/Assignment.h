// The plan the user types into the tables: the window's string tables and
// their columns, the sub-object of every element per LOD with its vertex
// counts and checks, and the LOD count with its distance levels.
#pragma once
#include "assignment/ElementAssignment.h"
#include "assignment/LodLevels.h"
#include "assignment/StringGrid.h"
#include "assignment/TableColumns.h"
