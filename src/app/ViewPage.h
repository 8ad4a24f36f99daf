// The page "Ansicht": the shape in 3D, coloured by the plan, with a LOD
// chooser, the colour choice, a legend with the sub-objects' vertices and
// the element last picked. It follows the session: a new text brings new
// triangles, a changed plan or selection only new colours.
#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "ports/Texts.h"
#include "view/ShapeGeometry.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quarvel {

class Session;
class ShapeView;

class ViewPage : public QWidget {
 public:
  explicit ViewPage(Session& session, QWidget* parent = nullptr);

  // Brings the page up to date with the session and the element rows
  // selected (from 0); cheap when nothing changed, and nothing at all while
  // the page was never shown.
  void Sync(const std::vector<int>& selected);
  // A click on the shape chose this element (from 0).
  std::function<void(int element)> elementPicked;
  ShapeView* View() const { return view_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Build();
  void Recolour();

  Session& session_;
  ShapeView* view_ = nullptr;
  QComboBox* lods_ = nullptr;
  QComboBox* colourBy_ = nullptr;
  QPushButton* fit_ = nullptr;
  QListWidget* legend_ = nullptr;
  QLabel* empty_ = nullptr;
  QLabel* picked_ = nullptr;
  view::ShapeGeometry geometry_;
  std::uint64_t revision_ = UINT64_MAX;
  int shownLevel_ = -1;
  std::vector<int> selected_;
};

}  // namespace quarvel
