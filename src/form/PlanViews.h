// The window's tables as views of the shape's tables, its plan and what the
// plan comes to: a cell shows the value's text, and a typed cell becomes the
// value (the handlers check it afterwards, as the window did).
#pragma once
#include "form/StringGrid.h"
#include "plan/Plan.h"

namespace quarvel {

struct PlanData {
  ShapeTables& tables;
  Plan& plan;
  PlanSummary& summary;
};

class ElementTableView : public GridSource {  // StringGrid1
 public:
  explicit ElementTableView(PlanData data) : d_(data) {}
  std::optional<std::string> Cell(int col, int row) const override;
  bool SetCell(int col, int row, const std::string& text) override;
  std::optional<int> Rows() const override { return d_.tables.elements.Count(); }
  void SetRows(int rows) override { d_.tables.elements.SetCount(rows); }

 private:
  PlanData d_;
};

class SubobjectTableView : public GridSource {  // StringGrid2
 public:
  explicit SubobjectTableView(PlanData data) : d_(data) {}
  std::optional<std::string> Cell(int col, int row) const override;
  bool SetCell(int col, int row, const std::string& text) override;
  std::optional<int> Rows() const override { return d_.summary.subobjects.Count(); }
  void SetRows(int rows) override { d_.summary.subobjects.SetCount(rows); }

 private:
  PlanData d_;
};

class MatrixTableView : public GridSource {  // StringGrid3
 public:
  explicit MatrixTableView(PlanData data) : d_(data) {}
  std::optional<std::string> Cell(int col, int row) const override;
  bool SetCell(int col, int row, const std::string& text) override;
  std::optional<int> Rows() const override { return d_.tables.matrices.Count(); }
  void SetRows(int rows) override { d_.tables.matrices.SetCount(rows); }

 private:
  PlanData d_;
};

// The distances only; the LOD numbers and the row count are the window's
// (the count follows the spin box before the plan takes it).
class DistanceTableView : public GridSource {  // StringGrid4
 public:
  explicit DistanceTableView(PlanData data) : d_(data) {}
  std::optional<std::string> Cell(int col, int row) const override;
  bool SetCell(int col, int row, const std::string& text) override;

 private:
  PlanData d_;
};

class LodSummaryView : public GridSource {  // StringGrid5
 public:
  explicit LodSummaryView(PlanData data) : d_(data) {}
  std::optional<std::string> Cell(int col, int row) const override;
  bool SetCell(int col, int row, const std::string& text) override;
  std::optional<int> Rows() const override { return d_.summary.lods.Count(); }
  void SetRows(int rows) override { d_.summary.lods.SetCount(rows); }

 private:
  PlanData d_;
};

// The five views, each shown by its table.
struct PlanViews {
  explicit PlanViews(PlanData data)
      : elements(data), subobjects(data), matrices(data), distances(data), lodSummary(data) {}
  ElementTableView elements;      // StringGrid1
  SubobjectTableView subobjects;  // StringGrid2
  MatrixTableView matrices;       // StringGrid3
  DistanceTableView distances;    // StringGrid4
  LodSummaryView lodSummary;      // StringGrid5
};

}  // namespace quarvel
