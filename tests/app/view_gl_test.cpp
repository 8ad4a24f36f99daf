// The view in a window with real OpenGL (a virtual X display): it draws the
// plan, and a click on a part selects that element's row in the table,
// through the id picture the renderer reads back.
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "SyntheticShape.h"
#include "app/ShapeView.h"
#include "app/WindowFixture.h"
#include "shape/ShapeFile.h"
#include "view/ViewLook.h"

using quarvel::apptest::WindowFixture;

class ViewGlTest : public QObject {
  Q_OBJECT

 private slots:
  void aClickOnAPartSelectsItsRow() {
    WindowFixture f;
    const std::string path = f.dir.filePath(QStringLiteral("six.s")).toStdString();
    quarvel::bench::SyntheticShapeOptions options;
    options.elements = 6;
    QVERIFY(
        !quarvel::WriteShapeFile(path, quarvel::bench::MakeSyntheticShape(options), "\xFF\xFE"));
    f.window->Run([&] { return f.form().OpenShape(path); });
    // Element 2 alone in LOD 1, so that no other part lies in front of it.
    for (const int row : {1, 3, 4, 5, 6})
      f.window->Run([&] { f.form().StringGrid1SetEditText(3, row, "999"); });
    f.window->Run([&] { f.form().RefreshAssignment(); });
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(3);

    auto* view = f.Find<quarvel::ShapeView>("ShapeView");
    QVERIFY(view != nullptr);
    QTRY_VERIFY(view->isValid());
    QVERIFY2(view->Failure().empty(), view->Failure().c_str());
    const QImage picture = view->grabFramebuffer();
    const auto background = quarvel::view::kBackground;
    const QRgb empty = qRgb(background[0], background[1], background[2]);
    // A pixel of the part with drawn pixels all round it, away from edges
    // where a pixel may belong to the background.
    const auto drawn = [&](int x, int y) {
      return x >= 0 && y >= 0 && x < picture.width() && y < picture.height() &&
             picture.pixel(x, y) != empty;
    };
    QPoint inside(-1, -1);
    int drawnPixels = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) {
        if (!drawn(x, y)) continue;
        ++drawnPixels;
        bool all = true;
        for (int dy = -3; dy <= 3 && all; ++dy)
          for (int dx = -3; dx <= 3 && all; ++dx) all = drawn(x + dx, y + dy);
        if (all && inside.x() < 0) inside = QPoint(x, y);
      }
    QVERIFY(drawnPixels > 100);
    QVERIFY(inside.x() >= 0);

    const qreal scale = view->devicePixelRatioF();
    QTest::mouseClick(
        view, Qt::LeftButton, Qt::NoModifier,
        QPoint(static_cast<int>(inside.x() / scale), static_cast<int>(inside.y() / scale)));
    const auto* table = f.Find<QTableView>("StringGrid1");
    QTRY_COMPARE(table->selectionModel()->currentIndex().row(), 1);
    QVERIFY(f.Find<QLabel>("ViewPicked")->text().startsWith(QStringLiteral("2: ")));

    // A click on the background picks nothing and keeps the row.
    QVERIFY(!drawn(1, 1));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    QCOMPARE(table->selectionModel()->currentIndex().row(), 1);
  }
};

QTEST_MAIN(ViewGlTest)
#include "view_gl_test.moc"
