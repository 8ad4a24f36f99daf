#include "view/Camera.h"

#include <algorithm>
#include <cmath>

namespace quarvel::view {

namespace {

constexpr float kPi = 3.14159265358979f;
float Radians(float degrees) {
  return degrees * kPi / 180.0f;
}

Vec3 Minus(const Vec3& a, const Vec3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float Dot(const Vec3& a, const Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec3 Normalised(const Vec3& v) {
  const float length = std::sqrt(Dot(v, v));
  return length > 0 ? Vec3{v[0] / length, v[1] / length, v[2] / length} : Vec3{0, 0, 1};
}
float Radius(const std::array<Vec3, 2>& box) {
  const Vec3 size = Minus(box[1], box[0]);
  return std::max(0.5f * std::sqrt(Dot(size, size)), 1e-3f);
}
Vec3 Centre(const std::array<Vec3, 2>& box) {
  return {(box[0][0] + box[1][0]) / 2, (box[0][1] + box[1][1]) / 2, (box[0][2] + box[1][2]) / 2};
}

}  // namespace

Camera Camera::Fit(const std::array<Vec3, 2>& box, ViewDirection direction, float aspect) {
  Camera camera;
  camera.Turn(direction);
  camera.FitTo(box, aspect);
  return camera;
}

void Camera::FitTo(const std::array<Vec3, 2>& box, float aspect) {
  target = Centre(box);
  // The sphere around the box inside the narrower of the two angles of view.
  const float half = Radians(fieldOfView) / 2;
  const float narrower = aspect < 1 ? std::atan(std::tan(half) * aspect) : half;
  distance = Radius(box) / std::sin(narrower) * 1.02f;
}

void Camera::Turn(ViewDirection direction) {
  switch (direction) {
    case ViewDirection::Iso:
      yaw = 45, pitch = 35.264f;  // the diagonal of a cube
      break;
    case ViewDirection::Front:
      yaw = 0, pitch = 0;
      break;
    case ViewDirection::Side:
      yaw = 90, pitch = 0;
      break;
    case ViewDirection::Top:
      yaw = 0, pitch = 90;
      break;
  }
}

void Camera::Orbit(float degreesRight, float degreesUp) {
  yaw = std::fmod(yaw + degreesRight, 360.0f);
  pitch = std::clamp(pitch + degreesUp, -90.0f, 90.0f);
}

void Camera::Pan(float right, float up) {
  const Vec3 forward = Normalised(Minus(target, Eye()));
  const Vec3 side = Normalised(Cross(forward, {0, 1, 0}));
  const Vec3 upward = Cross(side, forward);
  const float span = 2 * distance * std::tan(Radians(fieldOfView) / 2);
  for (int a = 0; a < 3; ++a) target[a] += span * (right * side[a] + up * upward[a]);
}

void Camera::Zoom(float factor) {
  distance = std::max(distance * factor, 1e-3f);
}

Vec3 Camera::Eye() const {
  const float y = Radians(yaw), p = Radians(pitch);
  return {target[0] + distance * std::cos(p) * std::sin(y), target[1] + distance * std::sin(p),
          target[2] + distance * std::cos(p) * std::cos(y)};
}

std::array<float, 16> Camera::ViewProjection(float aspect, const std::array<Vec3, 2>& box) const {
  // Into OpenGL's axes: z mirrored.
  const auto gl = [](const Vec3& v) { return Vec3{v[0], v[1], -v[2]}; };
  const Vec3 eye = gl(Eye()), centre = gl(target);
  const Vec3 forward = Normalised(Minus(centre, eye));
  // Straight down, "up" is the shape's front.
  const Vec3 worldUp = std::fabs(forward[1]) > 0.999f ? Vec3{0, 0, -1} : Vec3{0, 1, 0};
  const Vec3 side = Normalised(Cross(forward, worldUp));
  const Vec3 up = Cross(side, forward);
  // Near and far hold the whole box wherever the target is.
  const float reach =
      Radius(box) + std::sqrt(Dot(Minus(gl(Centre(box)), centre), Minus(gl(Centre(box)), centre)));
  const float zFar = distance + reach * 1.05f;
  const float zNear = std::max(distance - reach * 1.05f, zFar * 1e-4f);
  const float f = 1.0f / std::tan(Radians(fieldOfView) / 2);
  // view: rows side, up, -forward; then the perspective.
  const float view[16] = {
      side[0], up[0], -forward[0], 0, side[1],         up[1],         -forward[1],       0,
      side[2], up[2], -forward[2], 0, -Dot(side, eye), -Dot(up, eye), Dot(forward, eye), 1};
  const float projection[16] = {f / aspect,
                                0,
                                0,
                                0,
                                0,
                                f,
                                0,
                                0,
                                0,
                                0,
                                (zFar + zNear) / (zNear - zFar),
                                -1,
                                0,
                                0,
                                2 * zFar * zNear / (zNear - zFar),
                                0};
  std::array<float, 16> mirror{};
  mirror[0] = 1, mirror[5] = 1, mirror[10] = -1, mirror[15] = 1;
  const auto multiply = [](const float* a, const float* b) {
    std::array<float, 16> r{};
    for (int column = 0; column < 4; ++column)
      for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 4; ++k) r[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
    return r;
  };
  const std::array<float, 16> viewMirror = multiply(view, mirror.data());
  return multiply(projection, viewMirror.data());
}

}  // namespace quarvel::view
