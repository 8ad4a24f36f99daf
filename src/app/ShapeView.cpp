#include "app/ShapeView.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "common/Error.h"
#include "render/GlRenderer.h"

namespace quarvel {

namespace {

// Frames slower than this (25 a second) make a moving camera jerky.
constexpr double kSmoothFrameMilliseconds = 40;
// A wheel sends no end of its turning: the full frame returns when it has
// been still this long.
constexpr int kWheelSettledMilliseconds = 250;

}  // namespace

ShapeView::ShapeView(QWidget* parent) : QOpenGLWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  settled_.setSingleShot(true);
  settled_.setInterval(kWheelSettledMilliseconds);
  connect(&settled_, &QTimer::timeout, this, [this] {
    moving_ = false;
    update();
  });
}

void ShapeView::Moving() {
  moving_ = true;
  update();
}

ShapeView::~ShapeView() {
  // The renderer frees what it made in the widget's context.
  if (renderer_) {
    makeCurrent();
    renderer_.reset();
    doneCurrent();
  }
}

void ShapeView::SetGeometry(const view::GeometryLevel& level,
                            const std::array<view::Vec3, 2>& box) {
  geometry_ = level;
  // Another model (another box) is seen whole; the same one, split or
  // merged, keeps the camera the user chose.
  if (!fitted_ || box != box_) camera_ = view::Camera::Fit(box, view::ViewDirection::Iso, Aspect());
  fitted_ = true;
  box_ = box;
  geometryChanged_ = true;
  update();
}

void ShapeView::SetLooks(const view::LookTable& looks) {
  if (looks.looks == looks_.looks && looks.bySubobjectOfFile == looks_.bySubobjectOfFile) return;
  looks_ = looks;
  looksChanged_ = true;
  update();
}

void ShapeView::Fit() {
  camera_.FitTo(box_, Aspect());
  update();
}

void ShapeView::Turn(view::ViewDirection direction) {
  camera_.Turn(direction);
  camera_.FitTo(box_, Aspect());
  update();
}

float ShapeView::Aspect() const {
  return static_cast<float>(std::max(width(), 1)) / static_cast<float>(std::max(height(), 1));
}

void ShapeView::initializeGL() {
  try {
    if (context() == nullptr ||
        context()->format().majorVersion() * 10 + context()->format().minorVersion() < 33)
      throw Error(Text::NoOpenGl, {{"reason", "no OpenGL 3.3 context"}});
    renderer_ = std::make_unique<render::GlRenderer>();
    geometryChanged_ = looksChanged_ = true;
  } catch (const Error& error) {
    failure_ = error.what();
    if (failed) failed();
  }
}

void ShapeView::Upload() {
  if (geometryChanged_) renderer_->SetGeometry(geometry_);
  if (looksChanged_) renderer_->SetLooks(looks_);
  geometryChanged_ = looksChanged_ = false;
}

void ShapeView::paintGL() {
  if (!renderer_) return;
  Upload();
  const qreal scale = devicePixelRatioF();
  const bool coarse = moving_ && fullFrameMilliseconds_ > kSmoothFrameMilliseconds;
  QElapsedTimer clock;
  clock.start();
  renderer_->Draw(camera_, box_, static_cast<int>(width() * scale),
                  static_cast<int>(height() * scale), false,
                  coarse ? render::GlRenderer::Detail::Preview : render::GlRenderer::Detail::Full);
  if (!coarse) {
    // The software renderer fills the pixels in threads of its own; the
    // frame is done when they are.
    context()->functions()->glFinish();
    fullFrameMilliseconds_ = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  }
}

std::optional<int> ShapeView::ElementAt(QPoint point) {
  if (!renderer_) return std::nullopt;
  makeCurrent();
  Upload();
  const qreal scale = devicePixelRatioF();
  const int w = static_cast<int>(width() * scale), h = static_cast<int>(height() * scale);
  const int x = std::clamp(static_cast<int>(point.x() * scale), 0, w - 1);
  const int y = std::clamp(static_cast<int>(point.y() * scale), 0, h - 1);
  const std::uint32_t id = renderer_->IdPicture(
      camera_, box_, w, h,
      defaultFramebufferObject())[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                  static_cast<std::size_t>(x)];
  doneCurrent();
  if (id == 0) return std::nullopt;
  return static_cast<int>(id) - 1;
}

void ShapeView::mousePressEvent(QMouseEvent* event) {
  pressedAt_ = lastAt_ = event->position().toPoint();
  moved_ = false;
}

void ShapeView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QPoint delta = at - lastAt_;
  lastAt_ = at;
  if ((at - pressedAt_).manhattanLength() > 3) moved_ = true;
  const bool pan =
      (event->buttons() & Qt::MiddleButton) ||
      ((event->buttons() & Qt::LeftButton) && (event->modifiers() & Qt::ShiftModifier));
  if (pan) {
    camera_.Pan(-static_cast<float>(delta.x()) / static_cast<float>(std::max(height(), 1)),
                static_cast<float>(delta.y()) / static_cast<float>(std::max(height(), 1)));
  } else if (event->buttons() & Qt::LeftButton) {
    camera_.Orbit(-0.4f * static_cast<float>(delta.x()), 0.4f * static_cast<float>(delta.y()));
  } else {
    return;
  }
  Moving();
}

void ShapeView::mouseReleaseEvent(QMouseEvent* event) {
  if (moving_) {
    moving_ = false;
    update();
  }
  if (moved_ || event->button() != Qt::LeftButton) return;
  if (const std::optional<int> element = ElementAt(event->position().toPoint()); element && picked)
    picked(*element);
}

void ShapeView::wheelEvent(QWheelEvent* event) {
  const float steps = static_cast<float>(event->angleDelta().y()) / 120.0f;
  const float factor = std::pow(0.85f, steps);
  // Towards the pointer: the target moves by the part of the way that the
  // distance shrinks.
  const QPointF at = event->position();
  const float right =
      static_cast<float>(at.x() - width() / 2.0) / static_cast<float>(std::max(height(), 1));
  const float up =
      static_cast<float>(height() / 2.0 - at.y()) / static_cast<float>(std::max(height(), 1));
  camera_.Pan(right * (1 - factor), up * (1 - factor));
  camera_.Zoom(factor);
  settled_.start();
  Moving();
}

void ShapeView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_F:
      Fit();
      return;
    case Qt::Key_1:
      Turn(view::ViewDirection::Front);
      return;
    case Qt::Key_3:
      Turn(view::ViewDirection::Side);
      return;
    case Qt::Key_7:
      Turn(view::ViewDirection::Top);
      return;
    case Qt::Key_0:
    case Qt::Key_5:
      Turn(view::ViewDirection::Iso);
      return;
    default:
      QOpenGLWidget::keyPressEvent(event);
  }
}

}  // namespace quarvel
