// A modeller's whole job through the real window: open an exported shape,
// plan two LODs, generate, save, quit, start again, and find the plan again;
// and a downloaded compressed shape saved as it came.
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include "app/WindowFixture.h"

#include "app/GridView.h"
#include "shape/ShapeFile.h"

using quarvel::apptest::WindowFixture;

class RoundTripTest : public QObject {
  Q_OBJECT

 private:
  static void Click(WindowFixture& f, const char* button) {
    auto* widget = f.Find<QPushButton>(button);
    QVERIFY(widget != nullptr && widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton);
  }

  // Clicks a cell (model row and column) and types into it key by key.
  static void TypeIntoCell(quarvel::GridView& grid, int row, int column, const QString& text) {
    const QModelIndex index = grid.model()->index(row, column);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
    WindowFixture::Type(&grid, text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }

  static QString Corpus() { return qEnvironmentVariable("QUARVEL_CORPUS"); }

 private slots:
  void aPlanSurvivesGenerateSaveAndReopen() {
    if (Corpus().isEmpty()) QSKIP("QUARVEL_CORPUS is not set: no real shape to open");
    QTemporaryDir home;
    const QString shape = home.filePath(QStringLiteral("loco.s"));
    QVERIFY(QFile::copy(Corpus() + QStringLiteral("/tsm/NR_Emb_a1t10mStrt_tsm.s"), shape));
    QFile::setPermissions(shape, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile original(shape);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray exported = original.readAll();
    original.close();

    std::vector<std::string> split;
    {
      WindowFixture f(home.path());
      f.dialogs.ChooseFile(shape.toStdString());
      Click(f, "OeffnenButton");
      QCOMPARE(f.form().session.Elements(), 4);
      QVERIFY(f.dialogs.shown.empty());

      // Two LODs, the first seen up to 300 m.
      f.Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
      auto* count = f.Find<QSpinBox>("LODAnzSpinEdit");
      count->setFocus();
      QTest::keyClick(count, Qt::Key_Up);
      TypeIntoCell(f.window->grid(4), 0, 1, QStringLiteral("300"));
      QCOMPARE(f.form().session.plan.lodCount, 2);
      QCOMPARE(f.form().StringGrid4.Cell(1, 1), std::string("300"));

      // LOD 1: two sub-objects; LOD 2: the second and fourth element left out.
      f.Find<QTabWidget>("PageControl1")->setCurrentIndex(0);
      quarvel::GridView& elements = f.window->grid(1);
      const char* plan[4][2] = {{"1", "1"}, {"2", "999"}, {"1", "1"}, {"2", "999"}};
      for (int row = 0; row < 4; ++row)
        for (int lod = 0; lod < 2; ++lod)
          TypeIntoCell(elements, row, 3 + lod, QString::fromLatin1(plan[row][lod]));
      QCOMPARE(f.form().StringGrid2.RowCount(), 3);  // sub-objects 1 and 2

      Click(f, "Sub_ObjectsButton");
      QVERIFY2(f.dialogs.shown.empty(),
               f.dialogs.shown.empty() ? "" : f.dialogs.shown[0].text.c_str());
      QVERIFY(!f.form().Sub_ObjectsButton.enabled);
      QVERIFY(f.form().CaptionRed(f.form().SpeichernBitBtn));
      split = f.form().session.text.All();

      Click(f, "SpeichernBitBtn");
      QVERIFY(!f.form().CaptionRed(f.form().SpeichernBitBtn));
      QVERIFY(f.window->close());
      QVERIFY(f.dialogs.shown.empty());
    }
    QFile backup(home.filePath(QStringLiteral("loco.BAK")));
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), exported);
    QVERIFY(QFile::exists(home.filePath(QStringLiteral("loco.Quarvel"))));

    // Reading splits lines longer than 210 characters, so the reopened text
    // is the saved one as the reader gives it.
    quarvel::ShapeText saved;
    std::string mark;
    quarvel::ReadShapeText(shape.toStdString(), saved, mark);
    QVERIFY(saved.Count() >= split.size());
    QVERIFY(std::any_of(saved.All().begin(), saved.All().end(), [](const std::string& line) {
      return line.find("distance_levels ( 2") != std::string::npos;
    }));

    WindowFixture again(home.path());
    QCOMPARE(again.form().session.plan.lodCount, 2);  // the program INI kept the last set-up
    again.dialogs.ChooseFile(shape.toStdString());
    Click(again, "OeffnenButton");
    QCOMPARE(again.form().session.text.All(), saved.All());
    // The split shape has two distance levels: the window says so and keeps
    // the generation off, but the plan comes back from the settings file.
    QVERIFY(!again.dialogs.shown.empty());
    QVERIFY(!again.form().Sub_ObjectsButton.enabled);
    QCOMPARE(again.form().StringGrid4.Cell(1, 1), std::string("300"));
    for (int row = 1; row <= 4; ++row) {
      QCOMPARE(again.form().StringGrid1.Cell(3, row), std::string(row % 2 ? "1" : "2"));
      QCOMPARE(again.form().StringGrid1.Cell(4, row), std::string(row % 2 ? "1" : "999"));
    }

    // "Alles rückgängig" brings back the text as it was opened.
    again.window->Run([&] { again.form().session.text.Append("typed by hand"); });
    again.dialogs.Answer(quarvel::Answer::Yes);
    Click(again, "UndoButton");
    QCOMPARE(again.form().session.text.All(), saved.All());
    QVERIFY(!again.form().session.text.Modified());
  }

  // Compressed, as downloaded: opened with the button, shown as text, split
  // and saved compressed again with Ctrl+S.
  void aCompressedShapeComesBackCompressed() {
    if (Corpus().isEmpty()) QSKIP("QUARVEL_CORPUS is not set: no compressed shape to open");
    QTemporaryDir home;
    const QString shape = home.filePath(QStringLiteral("switch.s"));
    QVERIFY(QFile::copy(Corpus() + QStringLiteral("/compressed/DK10f_A1tPnt5dLft_compressed.s"),
                        shape));
    QFile::setPermissions(shape, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    WindowFixture f(home.path());
    f.dialogs.ChooseFile(shape.toStdString());
    Click(f, "OeffnenButton");
    // A shape of four distance levels: the window says so, and no more.
    QCOMPARE(f.dialogs.shown.size(), std::size_t{2});
    QCOMPARE(f.form().session.text[2], std::string("shape ("));
    QVERIFY(f.form().session.file.form == quarvel::format::ShapeForm::Compressed);

    f.window->Run([&] { f.form().session.text.Replace(1, ""); });  // a change to save
    QTest::keyClick(f.window.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!f.form().CaptionRed(f.form().SpeichernBitBtn));
    QFile saved(shape);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.read(8), QByteArray("SIMISA@F"));
    QVERIFY(QFile::exists(home.filePath(QStringLiteral("switch.BAK"))));
  }
};

QTEST_MAIN(RoundTripTest)
#include "round_trip_test.moc"
