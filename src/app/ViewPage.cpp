#include "app/ViewPage.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "app/ShapeView.h"
#include "common/Convert.h"
#include "session/Session.h"

namespace quarvel {

namespace {

QString Say(const TextSource& texts, Text text) {
  return QString::fromStdString(TextFrom(texts, text));
}

QIcon Swatch(const std::array<std::uint8_t, 3>& rgb) {
  QPixmap pixmap(14, 14);
  pixmap.fill(QColor(rgb[0], rgb[1], rgb[2]));
  return QIcon(pixmap);
}

}  // namespace

ViewPage::ViewPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("ViewPage"));
}

void ViewPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Made when first shown: the OpenGL widget needs a screen with OpenGL,
  // which a window that never shows this page does not ask for.
  if (view_ == nullptr) Build();
  Sync(selected_);
}

void ViewPage::Build() {
  view_ = new ShapeView(this);
  view_->setObjectName(QStringLiteral("ShapeView"));
  view_->setGeometry(6, 6, 600, 512);
  view_->picked = [this](int element) {
    if (element < session_.Elements())
      picked_->setText(QString::number(element + 1) + ": " +
                       QString::fromStdString(session_.tables.elements[element + 1].name));
    if (elementPicked) elementPicked(element);
  };
  view_->failed = [this] {
    empty_->setText(QString::fromStdString(view_->Failure()));
    empty_->show();
  };
  empty_ = new QLabel(this);
  empty_->setObjectName(QStringLiteral("ViewEmpty"));
  empty_->setGeometry(40, 220, 530, 60);
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setWordWrap(true);
  empty_->setText(Say(session_.Texts(), Text::ViewEmpty));

  auto* lodLabel = new QLabel(QStringLiteral("LOD:"), this);
  lodLabel->setGeometry(616, 8, 60, 20);
  lods_ = new QComboBox(this);
  lods_->setObjectName(QStringLiteral("ViewLod"));
  lods_->setGeometry(680, 6, 130, 24);
  auto* byLabel = new QLabel(Say(session_.Texts(), Text::ViewColourBy), this);
  byLabel->setGeometry(616, 38, 60, 20);
  colourBy_ = new QComboBox(this);
  colourBy_->setObjectName(QStringLiteral("ViewColourBy"));
  colourBy_->setGeometry(680, 36, 130, 24);
  for (const Text text : {Text::ViewBySubobject, Text::ViewByElement, Text::ViewByVtxState})
    colourBy_->addItem(Say(session_.Texts(), text));
  fit_ = new QPushButton(Say(session_.Texts(), Text::ViewFit), this);
  fit_->setObjectName(QStringLiteral("ViewFit"));
  fit_->setGeometry(616, 68, 194, 26);
  legend_ = new QListWidget(this);
  legend_->setObjectName(QStringLiteral("ViewLegend"));
  legend_->setGeometry(616, 102, 194, 300);
  legend_->setSelectionMode(QAbstractItemView::NoSelection);
  picked_ = new QLabel(this);
  picked_->setObjectName(QStringLiteral("ViewPicked"));
  picked_->setGeometry(616, 408, 194, 36);
  picked_->setWordWrap(true);
  auto* hint = new QLabel(
      Say(session_.Texts(), Text::ViewMouse) + "\n" + Say(session_.Texts(), Text::ViewEveryStriped),
      this);
  hint->setGeometry(616, 446, 194, 72);
  hint->setWordWrap(true);
  QFont small = hint->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  hint->setFont(small);

  connect(lods_, &QComboBox::currentIndexChanged, this, [this] { Recolour(); });
  connect(colourBy_, &QComboBox::currentIndexChanged, this, [this] { Recolour(); });
  connect(fit_, &QPushButton::clicked, this, [this] {
    view_->Fit();
    view_->setFocus();
  });
  for (QWidget* child : {static_cast<QWidget*>(view_), static_cast<QWidget*>(empty_),
                         static_cast<QWidget*>(lods_), static_cast<QWidget*>(colourBy_),
                         static_cast<QWidget*>(fit_), static_cast<QWidget*>(legend_)})
    child->show();
  lodLabel->show();
  byLabel->show();
  picked_->show();
  hint->show();
}

void ViewPage::Sync(const std::vector<int>& selected) {
  selected_ = selected;
  if (view_ == nullptr || !isVisible()) return;
  if (session_.text.Revision() != revision_) {
    revision_ = session_.text.Revision();
    geometry_ = view::GeometryOfShape(session_.text.All(), session_.Texts());
    shownLevel_ = -1;
  }
  // A shape split already shows its own distance levels, an unsplit one the
  // plan's LODs.
  const bool split = geometry_.levels.size() > 1;
  const int lods = split ? static_cast<int>(geometry_.levels.size()) : session_.plan.lodCount;
  if (lods_->count() != lods) {
    const QSignalBlocker blocker(lods_);
    const int keep = lods_->currentIndex();
    lods_->clear();
    for (int lod = 1; lod <= lods; ++lod) {
      const std::string distance = split ? std::string() : session_.plan.distances[lod];
      lods_->addItem(
          "LOD " + QString::number(lod) +
          (distance.empty() ? QString() : " (" + QString::fromStdString(distance) + " m)"));
    }
    lods_->setCurrentIndex(std::clamp(keep, 0, std::max(lods - 1, 0)));
  }
  Recolour();
}

void ViewPage::Recolour() {
  if (view_ == nullptr) return;
  const bool split = geometry_.levels.size() > 1;
  const int lod = std::max(lods_->currentIndex(), 0) + 1;
  const int level = split ? lod - 1 : 0;
  static const view::GeometryLevel none;
  const view::GeometryLevel& drawn =
      geometry_.levels.empty() ? none : geometry_.levels[static_cast<std::size_t>(level)];
  if (level != shownLevel_) {
    view_->SetGeometry(drawn, view::BoundsOf(drawn));
    shownLevel_ = level;
  }
  const auto by = static_cast<view::ColourBy>(std::max(colourBy_->currentIndex(), 0));
  const view::LookTable looks =
      split ? view::FileLooks(drawn, session_.Elements(), by, geometry_.elementVtxStates, selected_)
            : view::PlanLooks(session_.plan, lod, session_.Elements(), by,
                              geometry_.elementVtxStates, selected_);
  view_->SetLooks(looks);
  if (view_->Failure().empty()) empty_->setVisible(drawn.Triangles() == 0);

  legend_->clear();
  for (const view::LegendLine& line : looks.legend) {
    QString text = QString::number(line.number);
    bool over = false;
    if (by == view::ColourBy::Subobject) {
      const int vertices = split ? line.vertices : session_.SubobjectVertices(lod, line.number);
      over = vertices > session_.vertexLimit;
      text = QString::fromStdString(
          Worded(session_.Texts(), Text::ViewLegendLine,
                 {{"number", IntToStr(line.number)}, {"vertices", IntToStr(vertices)}}));
    } else if (by == view::ColourBy::Element && line.number <= session_.Elements()) {
      text += ": " + QString::fromStdString(session_.tables.elements[line.number].name);
    }
    auto* item = new QListWidgetItem(Swatch(line.rgb), text, legend_);
    // Red above the vertex limit, as in the sub-object table.
    if (over) item->setForeground(Qt::red);
  }
}

}  // namespace quarvel
