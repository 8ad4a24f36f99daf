#include "cli/CliRender.h"

#include "cli/CliDialogs.h"
#include "common/Convert.h"
#ifdef QUARVEL_CLI_RENDER
#include "render/GlRenderer.h"
#include "render/OffscreenContext.h"
#endif
#include "session/Session.h"
#include "view/Png.h"

namespace quarvel::cli {

#ifdef QUARVEL_CLI_RENDER

std::string WhyNoPictures() {
  return "";
}

std::string RenderShapePicture(Session& session, const CliOptions& options, ShapeReport& report) {
  const view::ShapeGeometry geometry = view::GeometryOfShape(session.text.All(), session.Texts());
  const int lod = options.renderLod;
  const bool split = geometry.levels.size() > 1;
  const int lods = split ? static_cast<int>(geometry.levels.size()) : session.plan.lodCount;
  if (lod > lods)
    throw Error(Text::CliNoSuchLod, {{"lod", IntToStr(lod)}, {"count", IntToStr(lods)}});
  static const view::GeometryLevel none;
  const view::GeometryLevel& level =
      geometry.levels.empty() ? none
                              : geometry.levels[static_cast<std::size_t>(split ? lod - 1 : 0)];
  if (level.Triangles() == 0) report.Warning(TextFrom(session.Texts(), Text::CliNothingToDraw));
  const view::LookTable looks =
      split
          ? view::FileLooks(level, session.Elements(), options.colourBy, geometry.elementVtxStates)
          : view::PlanLooks(session.plan, lod, session.Elements(), options.colourBy,
                            geometry.elementVtxStates);

  const std::array<view::Vec3, 2> box = view::BoundsOf(level);
  const int width = options.renderWidth, height = options.renderHeight;
  const render::OffscreenContext context;
  std::vector<std::uint8_t> rgb;
  {
    render::GlRenderer renderer;
    renderer.SetGeometry(level);
    renderer.SetLooks(looks);
    const render::PictureTarget target(width, height);
    target.Bind();
    const view::Camera camera = view::Camera::Fit(
        box, options.renderView, static_cast<float>(width) / static_cast<float>(height));
    renderer.Draw(camera, box, width, height, options.flat);
    rgb = target.ReadRgb();
  }
  return view::EncodePng(rgb, width, height);
}

#else

std::string WhyNoPictures() {
  return "this quarvel-cli was built without an OpenGL context of its own and draws no pictures";
}

std::string RenderShapePicture(Session&, const CliOptions&, ShapeReport&) {
  throw Error(Text::NoOpenGl, {{"reason", WhyNoPictures()}});
}

#endif

}  // namespace quarvel::cli
