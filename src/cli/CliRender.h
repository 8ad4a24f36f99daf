#pragma once
#include <string>

#include "cli/CliOptions.h"

namespace quarvel {
class Session;
}

namespace quarvel::cli {

class ShapeReport;

// `--render-png`: the session's shape drawn as the view shows it, as PNG
// bytes. A shape split already is drawn by its own distance levels and
// sub-objects, an unsplit one by the plan. Throws quarvel::Error (no OpenGL,
// no such LOD).
std::string RenderShapePicture(Session& session, const CliOptions& options, ShapeReport& report);

// Why this build draws no pictures (one without an OpenGL context of its
// own, as on Windows); empty where it does.
std::string WhyNoPictures();

}  // namespace quarvel::cli
