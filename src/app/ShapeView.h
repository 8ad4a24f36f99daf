// The 3D view's drawing surface: the window's OpenGL widget around the
// renderer the command line uses too, with the camera moved as in modelling
// tools and a click that picks an element by its pixels.
#pragma once
#include <QOpenGLWidget>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "view/Camera.h"
#include "view/ShapeGeometry.h"
#include "view/ViewLook.h"

namespace quarvel {

namespace render {
class GlRenderer;
}

class ShapeView : public QOpenGLWidget {
 public:
  explicit ShapeView(QWidget* parent = nullptr);
  ~ShapeView() override;

  // A new text's triangles; the camera fits them when their box is new.
  void SetGeometry(const view::GeometryLevel& level, const std::array<view::Vec3, 2>& box);
  void SetLooks(const view::LookTable& looks);
  void Fit();
  void Turn(view::ViewDirection direction);
  // A click that did not move the camera: the element under it (from 0).
  std::function<void(int element)> picked;
  // Why nothing can be drawn (no OpenGL), once the widget tried.
  const std::string& Failure() const { return failure_; }
  std::function<void()> failed;

 protected:
  void initializeGL() override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  float Aspect() const;
  std::optional<int> ElementAt(QPoint point);
  void Upload();
  // The camera is moving: the next frames may be drawn coarser.
  void Moving();

  std::unique_ptr<render::GlRenderer> renderer_;
  view::GeometryLevel geometry_;
  view::LookTable looks_;
  std::array<view::Vec3, 2> box_{};
  view::Camera camera_;
  bool geometryChanged_ = false, looksChanged_ = false, fitted_ = false;
  QPoint pressedAt_, lastAt_;
  bool moved_ = false;
  // While the camera moves, a model whose full frames take longer than a
  // smooth motion allows is drawn coarser; `settled_` ends a wheel's motion.
  bool moving_ = false;
  double fullFrameMilliseconds_ = 0;
  QTimer settled_;
  std::string failure_;
};

}  // namespace quarvel
