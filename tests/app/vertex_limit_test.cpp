// The vertex limit in the window: the spin box on the settings page, the
// counts above the limit drawn in red (bold beyond 16-bit indices) through
// the tables' model, and "Automatisch aufteilen" in the element table's menu.
#include <QAction>
#include <QBrush>
#include <QFont>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include "app/GridView.h"
#include "app/WindowFixture.h"
#include "shape/ShapeFile.h"
#include "support/ExportedShape.h"

using quarvel::GridView;
using quarvel::apptest::WindowFixture;

namespace {

// Three elements of 600 vertices each, all in sub-object 1: 1800 vertices.
void OpenThreeElements(WindowFixture& f) {
  const std::string path = f.dir.filePath(QStringLiteral("big.s")).toStdString();
  quarvel::WriteShapeFile(
      path, quarvel::testing::BuildExportedShape(quarvel::testing::ElementsWithOwnSets(3, 600)),
      "\xFF\xFE");
  f.window->Run([&] { return f.form().OpenShape(path); });
}

bool Red(const GridView& grid, int row, int col) {
  const QVariant brush = grid.model()->index(row, col).data(Qt::ForegroundRole);
  return brush.isValid() && brush.value<QBrush>().color() == QColor(Qt::red);
}

bool Bold(const GridView& grid, int row, int col) {
  const QVariant font = grid.model()->index(row, col).data(Qt::FontRole);
  return font.isValid() && font.value<QFont>().bold();
}

}  // namespace

class VertexLimitTest : public QObject {
  Q_OBJECT

 private slots:
  void aLimitTypedOnTheSettingsPageTurnsTheCountsAboveItRed() {
    WindowFixture f;
    OpenThreeElements(f);
    GridView& subobjects = f.window->grid(2);
    GridView& summary = f.window->grid(5);
    QVERIFY(!Red(subobjects, 0, 1));
    QCOMPARE(subobjects.model()->index(0, 1).data().toString(), QStringLiteral("1800"));

    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    auto* limit = f.Find<QSpinBox>("VertLimitSpinEdit");
    QCOMPARE(limit->value(), 14000);
    QCOMPARE(limit->minimum(), 1000);
    QCOMPARE(limit->maximum(), 65535);
    limit->setFocus();
    limit->selectAll();
    QTest::keyClicks(limit, QStringLiteral("1000"));
    QCOMPARE(f.form().session.vertexLimit, 14000);  // not before the value is complete
    QTest::keyClick(limit, Qt::Key_Return);
    QCOMPARE(f.form().session.vertexLimit, 1000);

    QVERIFY(Red(subobjects, 0, 1));
    QVERIFY(!Bold(subobjects, 0, 1));
    QVERIFY(!Red(subobjects, 0, 0));
    QCOMPARE(subobjects.model()->index(0, 1).data().toString(), QStringLiteral("1800"));
    for (int col = 0; col < 3; ++col) QVERIFY(Red(summary, 0, col));

    // Every refresh decides again.
    f.window->Run([&] {
      f.form().StringGrid1.SetCell(3, 2, "2");
      f.form().StringGrid1.SetCell(3, 3, "2");
      f.form().RefreshAssignment();
    });
    QVERIFY(!Red(subobjects, 0, 1));  // 600
    QVERIFY(Red(subobjects, 1, 1));   // 1200
    f.window->Run([&] { f.form().StringGrid2.SetCell(1, 2, "70000"); });
    QVERIFY(Red(subobjects, 1, 1));
    QVERIFY(Bold(subobjects, 1, 1));
    // The bold font only adds the weight: the table's own font stays.
    QCOMPARE(subobjects.model()->index(1, 1).data(Qt::FontRole).value<QFont>().resolveMask(),
             static_cast<uint>(QFont::WeightResolved));
  }

  void theElementTablesMenuSplitsTheLodChosenInTheSpinBox() {
    WindowFixture f;
    OpenThreeElements(f);
    f.window->Run([&] {
      f.form().LODAnzSpinEditChange(2);
      f.form().LODAnzSpinEditExit();
      f.form().VertLimitSpinEditChange(1300);
      f.form().LODSpinEditChange(2);
    });
    GridView& elements = f.window->grid(1);
    QCOMPARE(elements.contextMenuPolicy(), Qt::ActionsContextMenu);
    auto* split = elements.findChild<QAction*>(QStringLiteral("AufteilenMenuItem"));
    QVERIFY(split != nullptr);
    QVERIFY(elements.actions().contains(split));
    QCOMPARE(split->text(), QStringLiteral("Automatisch aufteilen"));

    split->trigger();
    const auto cell = [&](int row, int lod) {
      return elements.model()->index(row, lod + 2).data().toString();
    };
    QCOMPARE(cell(0, 2) + cell(1, 2) + cell(2, 2), QStringLiteral("112"));
    QCOMPARE(cell(0, 1) + cell(1, 1) + cell(2, 1), QStringLiteral("111"));
    GridView& subobjects = f.window->grid(2);
    QCOMPARE(subobjects.model()->index(1, 1).data().toString(), QStringLiteral("600"));
    QVERIFY(!Red(subobjects, 0, 1));
    QVERIFY(Red(f.window->grid(5), 0, 0));  // LOD 1 still holds 1800
    QVERIFY(!Red(f.window->grid(5), 1, 0));

    f.window->Run([&] { f.form().SpracheComboBoxSelect(1); });
    QCOMPARE(split->text(), QString::fromStdString(f.form().LangText(72)));
    QCOMPARE(split->text(), QStringLiteral("Split automatically"));
  }

  void theLimitFollowsTheDistancesInTheKeyboardOrder() {
    WindowFixture f;
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    QCOMPARE(f.TabFrom(f.Find<QSpinBox>("LODAnzSpinEdit"), 3),
             (QStringList{QStringLiteral("StringGrid4"), QStringLiteral("VertLimitSpinEdit"),
                          QStringLiteral("DeltaPointsEdit")}));
  }
};

QTEST_MAIN(VertexLimitTest)
#include "vertex_limit_test.moc"
