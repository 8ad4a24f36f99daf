// Where the 3D view looks from: turned about the shape (yaw, pitch), at a
// distance, towards a point, in the shape's own axes (x right, y up, z to
// the front, as the simulator has them).
#pragma once
#include <array>

#include "view/ShapeGeometry.h"

namespace quarvel::view {

enum class ViewDirection { Iso, Front, Side, Top };

struct Camera {
  float yaw = 0;    // degrees about y, 0 looking from the front (+z)
  float pitch = 0;  // degrees above the horizon
  Vec3 target = {0, 0, 0};
  float distance = 10;
  float fieldOfView = 40;  // degrees, vertical

  // The whole box in view from `direction`, at the aspect (width / height)
  // of the picture.
  static Camera Fit(const std::array<Vec3, 2>& box, ViewDirection direction, float aspect);
  // The same direction and a distance that holds the box.
  void FitTo(const std::array<Vec3, 2>& box, float aspect);
  void Turn(ViewDirection direction);
  void Orbit(float degreesRight, float degreesUp);
  // Moves the target by a part of the view's width and height.
  void Pan(float right, float up);
  // Towards (factor < 1) or away from the target.
  void Zoom(float factor);

  Vec3 Eye() const;
  // Column-major, as OpenGL takes it: the shape's axes to clip space. The
  // simulator's axes turn the other way round than OpenGL's, so z is
  // mirrored on the way.
  std::array<float, 16> ViewProjection(float aspect, const std::array<Vec3, 2>& box) const;
};

}  // namespace quarvel::view
