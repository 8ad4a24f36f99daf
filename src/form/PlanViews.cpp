#include "form/PlanViews.h"

#include "common/Convert.h"
#include "form/TableColumns.h"

namespace quarvel {

namespace {

std::optional<int> IntOf(const std::string& text) {
  return TryStrToInt(text);
}

}  // namespace

std::optional<std::string> ElementTableView::Cell(int col, int row) const {
  const ElementRow& element = d_.tables.elements[row];
  switch (col) {
    case kNameColumn:
      return element.name;
    case kImageColumn:
      return element.image;
    case kFacesColumn:
      return NumberText(element.faces);
    default:
      return d_.plan.Choice(row, LodOfAssignmentColumn(col)).Text();
  }
}

bool ElementTableView::SetCell(int col, int row, const std::string& text) {
  if (col > kFacesColumn) {
    d_.plan.SetChoice(row, LodOfAssignmentColumn(col), SubobjectChoice::FromText(text));
    return true;
  }
  ElementRow& element = d_.tables.elements.At(row);
  if (col == kNameColumn) element.name = text;
  if (col == kImageColumn) element.image = text;
  if (col == kFacesColumn) element.faces = IntOf(text);
  return true;
}

std::optional<std::string> SubobjectTableView::Cell(int col, int row) const {
  const SubobjectLine& line = d_.summary.subobjects[row];
  if (col == kSubobjectNumberColumn) return NumberText(line.number);
  if (col == kVertexCountColumn) return NumberText(line.vertices);
  return d_.plan.SortMark(col - SortMarkColumn(0), row).Text();
}

bool SubobjectTableView::SetCell(int col, int row, const std::string& text) {
  if (col == kSubobjectNumberColumn || col == kVertexCountColumn) {
    SubobjectLine& line = d_.summary.subobjects.At(row);
    (col == kSubobjectNumberColumn ? line.number : line.vertices) = IntOf(text);
  } else {
    d_.plan.SetSortMark(col - SortMarkColumn(0), row, Mark::FromText(text));
  }
  return true;
}

std::optional<std::string> MatrixTableView::Cell(int col, int row) const {
  const MatrixRow& matrix = d_.tables.matrices[row];
  if (col == kMatrixNameColumn) return matrix.name;
  if (col == kMatrixFacesColumn) return NumberText(matrix.faces);
  if (col == kAnimationMarkColumn) return d_.plan.animationMarks[row].Text();
  return std::string();
}

bool MatrixTableView::SetCell(int col, int row, const std::string& text) {
  if (col == kAnimationMarkColumn) {
    d_.plan.animationMarks.Set(row, Mark::FromText(text));
  } else if (col == kMatrixNameColumn) {
    d_.tables.matrices.At(row).name = text;
  } else if (col == kMatrixFacesColumn) {
    const auto faces = IntOf(text);
    d_.tables.matrices.At(row).faces = faces ? std::optional<long long>(*faces) : std::nullopt;
  }
  return true;
}

std::optional<std::string> DistanceTableView::Cell(int col, int row) const {
  if (col != kDistanceColumn) return std::nullopt;
  return d_.plan.distances[row];
}

bool DistanceTableView::SetCell(int col, int row, const std::string& text) {
  if (col != kDistanceColumn) return false;
  d_.plan.distances.Set(row, text);
  return true;
}

std::optional<std::string> LodSummaryView::Cell(int col, int row) const {
  const LodLine& line = d_.summary.lods[row];
  if (col == kSummaryLodColumn) return NumberText(line.number);
  if (col == kSummaryDistanceColumn) return line.distance;
  if (col == kSummaryFacesColumn) return NumberText(line.faces);
  return std::string();
}

bool LodSummaryView::SetCell(int col, int row, const std::string& text) {
  LodLine& line = d_.summary.lods.At(row);
  if (col == kSummaryLodColumn) line.number = IntOf(text);
  if (col == kSummaryDistanceColumn) line.distance = text;
  if (col == kSummaryFacesColumn) {
    const auto faces = IntOf(text);
    line.faces = faces ? std::optional<long long>(*faces) : std::nullopt;
  }
  return true;
}

}  // namespace quarvel
