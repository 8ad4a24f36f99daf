// The page "Ansicht" in the real window: built only when shown, its legend
// following the plan at once (an L-cell typed on the first page), red above
// the vertex limit, and a clear word where there is nothing to draw.
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QtTest>

#include "app/GridView.h"
#include "app/ShapeView.h"
#include "app/WindowFixture.h"
#include "shape/ShapeFile.h"
#include "support/ExportedShape.h"

using quarvel::apptest::WindowFixture;

namespace {

QStringList Legend(const WindowFixture& f) {
  QStringList lines;
  const auto* legend = f.Find<QListWidget>("ViewLegend");
  for (int i = 0; i < legend->count(); ++i) lines << legend->item(i)->text();
  return lines;
}

}  // namespace

class ViewPageTest : public QObject {
  Q_OBJECT

 private slots:
  void theLegendFollowsThePlanAtOnce() {
    WindowFixture f;
    QVERIFY(f.Find<quarvel::ShapeView>("ShapeView") == nullptr);  // not shown yet
    auto* pages = f.Find<QTabWidget>("PageControl1");
    pages->setCurrentIndex(3);
    QVERIFY(f.Find<QLabel>("ViewEmpty")->isVisible());  // no shape: nothing to draw

    const std::string path = f.dir.filePath(QStringLiteral("three.s")).toStdString();
    quarvel::WriteShapeFile(
        path, quarvel::testing::BuildExportedShape(quarvel::testing::ElementsWithOwnSets(3, 600)),
        "\xFF\xFE");
    f.window->Run([&] { return f.form().OpenShape(path); });
    QCOMPARE(Legend(f), QStringList{QStringLiteral("Subobjekt 1: 1800 Vertices")});

    // Element 3 into sub-object 2, as typed into its L 1 cell.
    pages->setCurrentIndex(0);
    f.window->Run([&] { f.form().StringGrid1SetEditText(3, 3, "2"); });
    f.window->Run([&] { f.form().RefreshAssignment(); });
    pages->setCurrentIndex(3);
    QCOMPARE(Legend(f), (QStringList{QStringLiteral("Subobjekt 1: 1200 Vertices"),
                                     QStringLiteral("Subobjekt 2: 600 Vertices")}));
    // Above the limit in red, as in the sub-object table.
    f.window->Run([&] { f.form().session.vertexLimit = 1000; });
    f.window->Run([&] { f.form().RefreshAssignment(); });
    const auto* legend = f.Find<QListWidget>("ViewLegend");
    QCOMPARE(legend->item(0)->foreground().color(), QColor(Qt::red));
    QVERIFY(legend->item(1)->foreground().color() != QColor(Qt::red));
  }
};

QTEST_MAIN(ViewPageTest)
#include "view_page_test.moc"
