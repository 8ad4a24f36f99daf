#include "view/ViewLook.h"

#include <algorithm>
#include <cmath>

namespace quarvel::view {

namespace {

std::array<std::uint8_t, 3> FromHsv(double hue, double saturation, double value) {
  const double c = value * saturation;
  const double h = std::fmod(hue, 360.0) / 60.0;
  const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  if (h < 1)
    r = c, g = x;
  else if (h < 2)
    r = x, g = c;
  else if (h < 3)
    g = c, b = x;
  else if (h < 4)
    g = x, b = c;
  else if (h < 5)
    r = x, b = c;
  else
    r = c, b = x;
  const double m = value - c;
  const auto byte = [m](double v) { return static_cast<std::uint8_t>(std::lround((v + m) * 255)); };
  return {byte(r), byte(g), byte(b)};
}

// The colour of the elements in every sub-object: a grey no hue reaches.
constexpr std::array<std::uint8_t, 3> kEverySubobject = {200, 200, 200};

void Dim(LookTable& table, const std::vector<int>& selected, bool byElement) {
  if (selected.empty() || !byElement) return;
  std::vector<char> chosen(table.looks.size(), 0);
  for (const int row : selected)
    if (row >= 0 && static_cast<std::size_t>(row) < chosen.size())
      chosen[static_cast<std::size_t>(row)] = 1;
  for (std::size_t i = 0; i < table.looks.size(); ++i) table.looks[i].dimmed = !chosen[i];
}

}  // namespace

std::array<std::uint8_t, 3> PaletteColour(int n) {
  // The golden angle keeps any two neighbours' hues far apart; the three
  // levels of brightness part the hues that come round again.
  const double hue = 17.0 + 137.507764 * (n - 1);
  const double value = (n - 1) / 8 % 3 == 0 ? 0.95 : (n - 1) / 8 % 3 == 1 ? 0.75 : 0.55;
  return FromHsv(hue, 0.7, value);
}

LookTable PlanLooks(const Plan& plan, int lod, int elements, ColourBy by,
                    const std::vector<int>& elementVtxStates, const std::vector<int>& selected) {
  LookTable table;
  table.looks.resize(static_cast<std::size_t>(std::max(elements, 0)));
  std::vector<int> numbers;
  for (int row = 1; row <= elements; ++row) {
    Look& look = table.looks[static_cast<std::size_t>(row - 1)];
    const SubobjectChoice& choice = plan.Choice(row, lod);
    look.hidden = choice.PlainNumber() == kNotInLod;
    look.everySubobject = choice.InEverySubobject();
    int number = row;
    if (by == ColourBy::Subobject) number = choice.PlainNumber().value_or(0);
    if (by == ColourBy::VtxState)
      number = static_cast<std::size_t>(row - 1) < elementVtxStates.size()
                   ? elementVtxStates[static_cast<std::size_t>(row - 1)] + 1
                   : 0;
    look.rgb = by == ColourBy::Subobject && (look.everySubobject || number <= 0)
                   ? kEverySubobject
                   : PaletteColour(number);
    if (!look.hidden && number > 0 && !(by == ColourBy::Subobject && look.everySubobject))
      numbers.push_back(number);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (const int number : numbers) table.legend.push_back({number, PaletteColour(number)});
  Dim(table, selected, true);
  return table;
}

LookTable FileLooks(const GeometryLevel& level, int elements, ColourBy by,
                    const std::vector<int>& elementVtxStates, const std::vector<int>& selected) {
  LookTable table;
  table.bySubobjectOfFile = by == ColourBy::Subobject;
  std::size_t count = static_cast<std::size_t>(std::max(elements, 0));
  if (table.bySubobjectOfFile) {
    count = 0;
    for (const std::uint32_t s : level.subobjects) count = std::max<std::size_t>(count, s + 1);
  }
  table.looks.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    int number = static_cast<int>(i) + 1;
    if (by == ColourBy::VtxState)
      number = i < elementVtxStates.size() ? elementVtxStates[i] + 1 : 0;
    table.looks[i].rgb = PaletteColour(number);
    if (by == ColourBy::VtxState) continue;
    LegendLine line{number, table.looks[i].rgb};
    if (table.bySubobjectOfFile && i < level.subobjectVertices.size())
      line.vertices = level.subobjectVertices[i];
    table.legend.push_back(line);
  }
  Dim(table, selected, !table.bySubobjectOfFile);
  return table;
}

}  // namespace quarvel::view
