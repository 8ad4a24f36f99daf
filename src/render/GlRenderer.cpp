#include "render/GlRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <unordered_map>

#include "common/Error.h"
#include "render/GlFunctions.h"
#include "view/PreviewMesh.h"

namespace quarvel::render {

namespace {

// One corner as the buffer holds it, small because the software renderer
// reads every corner of every frame: the normal packed into 10 bits a
// coordinate, the element and the file's sub-object into 16 bits each (the
// analysis knows at most 801 elements).
struct Corner {
  float position[3];
  std::uint32_t normal;
  std::uint32_t keys;
};

std::uint32_t PackedNormal(float x, float y, float z) {
  const auto part = [](float v) {
    const int scaled = static_cast<int>(std::lround(std::clamp(v, -1.0f, 1.0f) * 511.0f));
    return static_cast<std::uint32_t>(scaled) & 0x3FFu;
  };
  return part(x) | (part(y) << 10) | (part(z) << 20);
}

// The looks sit in a texture 1024 wide, so that any number of elements fits
// in its rows; alpha holds the flags.
constexpr int kLookRow = 1024;
constexpr std::uint8_t kHidden = 1, kEvery = 2, kDimmed = 4;

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 normal;
layout(location = 2) in uint keys;
uniform mat4 viewProjection;
uniform bool bySubobject;
out vec3 shapeNormal;
flat out uint key;
flat out uint elementId;
void main() {
  gl_Position = viewProjection * vec4(position, 1.0);
  shapeNormal = normal.xyz;
  key = bySubobject ? keys >> 16 : keys & 65535u;
  elementId = keys & 65535u;
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
in vec3 shapeNormal;
flat in uint key;
flat in uint elementId;
uniform sampler2D looks;
uniform bool flatColours;
uniform vec3 towardsEye;
uniform vec3 background;
out vec4 colour;
void main() {
  vec4 look = texelFetch(looks, ivec2(int(key) % 1024, int(key) / 1024), 0);
  uint flags = uint(look.a * 255.0 + 0.5);
  if ((flags & 1u) != 0u) discard;
  vec3 rgb = look.rgb;
  // Elements in every sub-object: stripes across the screen.
  if ((flags & 2u) != 0u && mod(gl_FragCoord.x + gl_FragCoord.y, 8.0) < 3.0) rgb *= 0.45;
  if (!flatColours) {
    float light = abs(dot(normalize(shapeNormal), towardsEye));
    rgb *= 0.35 + 0.65 * light;
  }
  if ((flags & 4u) != 0u) rgb = mix(background, rgb, 0.25);
  colour = vec4(rgb, 1.0);
}
)";

constexpr const char* kIdFragmentShader = R"(#version 330 core
flat in uint key;
flat in uint elementId;
uniform sampler2D looks;
out uint id;
void main() {
  vec4 look = texelFetch(looks, ivec2(int(key) % 1024, int(key) / 1024), 0);
  if ((uint(look.a * 255.0 + 0.5) & 1u) != 0u) discard;
  id = elementId + 1u;
}
)";

GLuint Compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    throw Error(Text::NoOpenGl, {{"reason", log}});
  }
  return shader;
}

GLuint Link(const char* vertex, const char* fragment) {
  const GLuint program = glCreateProgram();
  const GLuint v = Compile(GL_VERTEX_SHADER, vertex), f = Compile(GL_FRAGMENT_SHADER, fragment);
  glAttachShader(program, v);
  glAttachShader(program, f);
  glLinkProgram(program);
  glDeleteShader(v);
  glDeleteShader(f);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) throw Error(Text::NoOpenGl, {{"reason", "the shaders do not link"}});
  return program;
}

// Into the element buffer `buffer`, bound to the vertex array bound now.
void UploadIndices(GLuint buffer, const std::vector<std::uint32_t>& indices) {
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER,
               static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(),
               GL_STATIC_DRAW);
}

}  // namespace

struct GlRenderer::PreviewSource {
  std::vector<view::Vec3> positions;
  std::vector<std::uint64_t> keys;
  std::vector<std::uint32_t> indices;
  std::array<view::Vec3, 2> box{};
};

GlRenderer::GlRenderer() {
  if (!LoadGlFunctions())
    throw Error(Text::NoOpenGl, {{"reason", "the driver lacks functions of OpenGL 3.3"}});
  program_ = Link(kVertexShader, kFragmentShader);
  idProgram_ = Link(kVertexShader, kIdFragmentShader);
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(1, &buffer_);
  glGenBuffers(2, indexBuffers_.data());
  glGenTextures(1, &lookTexture_);
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  const auto stride = static_cast<GLsizei>(sizeof(Corner));
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(Corner, position)));
  glVertexAttribPointer(1, 4, GL_INT_2_10_10_10_REV, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(Corner, normal)));
  glVertexAttribIPointer(2, 1, GL_UNSIGNED_INT, stride,
                         reinterpret_cast<void*>(offsetof(Corner, keys)));
  for (GLuint a = 0; a < 3; ++a) glEnableVertexAttribArray(a);
  glBindVertexArray(0);
}

GlRenderer::~GlRenderer() {
  glDeleteTextures(1, &lookTexture_);
  glDeleteBuffers(2, indexBuffers_.data());
  glDeleteBuffers(1, &buffer_);
  glDeleteVertexArrays(1, &vertexArray_);
  glDeleteProgram(idProgram_);
  glDeleteProgram(program_);
}

void GlRenderer::SetGeometry(const view::GeometryLevel& level) {
  // Corners shared by triangles are drawn once: the software renderer
  // spends most of a frame on corners, and a model's triangles share most.
  std::vector<Corner> corners;
  corners.reserve(level.Triangles() * 3 / 2);
  std::vector<std::uint32_t> indices(3 * level.Triangles());
  const auto hash = [](const Corner& c) {
    std::uint64_t h = 1469598103934665603ull;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&c);
    for (std::size_t i = 0; i < sizeof(Corner); ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return static_cast<std::size_t>(h);
  };
  const auto same = [](const Corner& a, const Corner& b) {
    return std::memcmp(&a, &b, sizeof(Corner)) == 0;
  };
  std::unordered_map<Corner, std::uint32_t, decltype(hash), decltype(same)> seen(
      level.Triangles() * 2, hash, same);
  for (std::size_t c = 0; c < indices.size(); ++c) {
    Corner corner{};
    for (int a = 0; a < 3; ++a)
      corner.position[a] = level.positions[3 * c + static_cast<std::size_t>(a)];
    corner.normal =
        PackedNormal(level.normals[3 * c], level.normals[3 * c + 1], level.normals[3 * c + 2]);
    corner.keys = (level.elements[c / 3] & 0xFFFFu) | (level.subobjects[c / 3] << 16);
    const auto [at, added] = seen.try_emplace(corner, static_cast<std::uint32_t>(corners.size()));
    if (added) corners.push_back(corner);
    indices[c] = at->second;
  }
  auto source = std::make_unique<PreviewSource>();
  source->positions.resize(corners.size());
  source->keys.resize(corners.size());
  for (std::size_t i = 0; i < corners.size(); ++i) {
    std::copy_n(corners[i].position, 3, source->positions[i].begin());
    // The normal's rough direction: the top three of the ten bits of each
    // coordinate, steps of a quarter.
    const std::uint32_t n = corners[i].normal;
    const std::uint32_t direction = ((n >> 7) & 7u) | ((n >> 14) & 070u) | ((n >> 21) & 0700u);
    source->keys[i] = (std::uint64_t{corners[i].keys} << 9) | direction;
  }
  source->box = view::BoundsOf(level);
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(Corner)),
               corners.data(), GL_STATIC_DRAW);
  UploadIndices(indexBuffers_[0], indices);
  glBindVertexArray(0);
  corners_ = {indices.size(), 0};
  source->indices = std::move(indices);
  previewSource_ = std::move(source);
}

void GlRenderer::UploadPreview() {
  if (!previewSource_) return;
  const PreviewSource& source = *previewSource_;
  const std::vector<std::uint32_t> preview =
      view::PreviewIndices(source.positions, source.keys, source.indices, source.box);
  glBindVertexArray(vertexArray_);
  UploadIndices(indexBuffers_[1], preview);
  glBindVertexArray(0);
  corners_[1] = preview.size();
  previewSource_.reset();
}

std::size_t GlRenderer::Triangles(Detail detail) const {
  return corners_[static_cast<std::size_t>(detail)] / 3;
}

void GlRenderer::SetLooks(const view::LookTable& looks) {
  bySubobject_ = looks.bySubobjectOfFile;
  const std::size_t count = std::max<std::size_t>(looks.looks.size(), 1);
  const std::size_t rows = (count + kLookRow - 1) / kLookRow;
  // Whatever no look names stays hidden.
  std::vector<std::uint8_t> texels(4 * kLookRow * rows, 0);
  for (std::size_t i = 0; i < rows * kLookRow; ++i) texels[4 * i + 3] = kHidden;
  for (std::size_t i = 0; i < looks.looks.size(); ++i) {
    const view::Look& look = looks.looks[i];
    texels[4 * i] = look.rgb[0];
    texels[4 * i + 1] = look.rgb[1];
    texels[4 * i + 2] = look.rgb[2];
    texels[4 * i + 3] =
        static_cast<std::uint8_t>((look.hidden ? kHidden : 0) | (look.everySubobject ? kEvery : 0) |
                                  (look.dimmed ? kDimmed : 0));
  }
  glBindTexture(GL_TEXTURE_2D, lookTexture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kLookRow, static_cast<GLsizei>(rows), 0, GL_RGBA,
               GL_UNSIGNED_BYTE, texels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

void GlRenderer::Draw(const view::Camera& camera, const std::array<view::Vec3, 2>& box, int width,
                      int height, bool flat, Detail detail) {
  const auto background = view::kBackground;
  glViewport(0, 0, width, height);
  glClearColor(background[0] / 255.0f, background[1] / 255.0f, background[2] / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glUseProgram(program_);
  glUniform1i(glGetUniformLocation(program_, "flatColours"), flat);
  const view::Vec3 eye = camera.Eye();
  view::Vec3 towards = {eye[0] - camera.target[0], eye[1] - camera.target[1],
                        eye[2] - camera.target[2]};
  const float length =
      std::sqrt(towards[0] * towards[0] + towards[1] * towards[1] + towards[2] * towards[2]);
  for (float& v : towards) v /= length > 0 ? length : 1;
  glUniform3f(glGetUniformLocation(program_, "towardsEye"), towards[0], towards[1], towards[2]);
  glUniform3f(glGetUniformLocation(program_, "background"), background[0] / 255.0f,
              background[1] / 255.0f, background[2] / 255.0f);
  DrawWith(program_, camera, box, width, height, detail);
}

void GlRenderer::DrawIds(const view::Camera& camera, const std::array<view::Vec3, 2>& box,
                         int width, int height) {
  glViewport(0, 0, width, height);
  const GLuint none[4] = {0, 0, 0, 0};
  glClearBufferuiv(GL_COLOR, 0, none);
  glClear(GL_DEPTH_BUFFER_BIT);
  DrawWith(idProgram_, camera, box, width, height, Detail::Full);
}

void GlRenderer::DrawWith(unsigned program, const view::Camera& camera,
                          const std::array<view::Vec3, 2>& box, int width, int height,
                          Detail detail) {
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);  // the simulator draws both sides of many parts
  glUseProgram(program);
  const std::array<float, 16> matrix = camera.ViewProjection(
      static_cast<float>(width) / static_cast<float>(std::max(height, 1)), box);
  glUniformMatrix4fv(glGetUniformLocation(program, "viewProjection"), 1, GL_FALSE, matrix.data());
  glUniform1i(glGetUniformLocation(program, "bySubobject"), bySubobject_);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, lookTexture_);
  glUniform1i(glGetUniformLocation(program, "looks"), 0);
  if (detail == Detail::Preview) UploadPreview();
  glBindVertexArray(vertexArray_);
  const auto d = static_cast<std::size_t>(detail);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffers_[d]);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(corners_[d]), GL_UNSIGNED_INT, nullptr);
  glBindVertexArray(0);
}

std::vector<std::uint32_t> GlRenderer::IdPicture(const view::Camera& camera,
                                                 const std::array<view::Vec3, 2>& box, int width,
                                                 int height, unsigned restore) {
  std::vector<std::uint32_t> picture;
  {
    const PictureTarget target(width, height, PictureTarget::Content::Ids);
    target.Bind();
    DrawIds(camera, box, width, height);
    picture = target.ReadIds();
  }
  glBindFramebuffer(GL_FRAMEBUFFER, restore);
  return picture;
}

namespace {

// The rows of a picture read from OpenGL, whose rows run from the bottom,
// top row first.
template <typename T>
std::vector<T> TopRowFirst(const std::vector<T>& bottomUp, std::size_t rowLength) {
  std::vector<T> rows(bottomUp.size());
  const std::size_t height = bottomUp.size() / rowLength;
  for (std::size_t y = 0; y < height; ++y)
    std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * rowLength),
                rowLength, rows.begin() + static_cast<std::ptrdiff_t>(y * rowLength));
  return rows;
}

}  // namespace

PictureTarget::PictureTarget(int width, int height, Content content)
    : width_(width), height_(height) {
  glGenFramebuffers(1, &framebuffer_);
  glGenRenderbuffers(1, &colour_);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, colour_);
  glRenderbufferStorage(GL_RENDERBUFFER, content == Content::Ids ? GL_R32UI : GL_RGBA8, width,
                        height);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    throw Error(Text::NoOpenGl, {{"reason", "no framebuffer of that size"}});
}

PictureTarget::~PictureTarget() {
  glDeleteRenderbuffers(1, &depth_);
  glDeleteRenderbuffers(1, &colour_);
  glDeleteFramebuffers(1, &framebuffer_);
}

void PictureTarget::Bind() const {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

std::vector<std::uint8_t> PictureTarget::ReadRgb() const {
  const auto w = static_cast<std::size_t>(width_), h = static_cast<std::size_t>(height_);
  std::vector<std::uint8_t> rgba(4 * w * h);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  std::vector<std::uint8_t> rgb(3 * w * h);
  for (std::size_t i = 0; i < w * h; ++i) std::copy_n(rgba.begin() + 4 * i, 3, rgb.begin() + 3 * i);
  return TopRowFirst(rgb, 3 * w);
}

std::vector<std::uint32_t> PictureTarget::ReadIds() const {
  const auto w = static_cast<std::size_t>(width_), h = static_cast<std::size_t>(height_);
  std::vector<std::uint32_t> ids(w * h);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width_, height_, GL_RED_INTEGER, GL_UNSIGNED_INT, ids.data());
  return TopRowFirst(ids, w);
}

}  // namespace quarvel::render
