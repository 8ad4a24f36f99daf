// The settings printout as it comes out of Qt: pages of a PDF read back with
// poppler, checked line by line for the place, the order and the page breaks
// of every line; and the command line writing the same listing.
#include <sys/stat.h>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include "SyntheticShape.h"
#include "app/PdfPrinter.h"
#include "app/PdfText.h"
#include "app/WindowFixture.h"
#include "common/Convert.h"
#include "shape/ShapeFile.h"

using quarvel::Answer;
using quarvel::PdfPrinter;
using quarvel::apptest::PdfListing;
using quarvel::apptest::ReadPdfListing;
using quarvel::apptest::WindowFixture;

namespace {

constexpr double kPointsPerMm = 72 / 25.4;
constexpr const char* kLongName =
    "Element_with_a_seventy_character_name_far_longer_than_its_column_xyz12";
// As its column of 35 characters shows it.
constexpr const char* kLongNameCut = "Element_with_a_seventy_character_n\xE2\x80\xA6";

// As QString, so that a failure shows both lines.
QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string Blanks(int count) {
  return std::string(static_cast<std::size_t>(count), ' ');
}
std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// 70 elements on three matrices, the fifth with a long name, and a plan of
// three LODs that spreads LOD 1 over 36 sub-objects, so that the matrix
// section has no room left on page 2.
void WriteShapeWithPlan(const QString& folder) {
  quarvel::bench::SyntheticShapeOptions options;
  options.elements = 70;
  options.matrices = 3;
  std::vector<std::string> lines = quarvel::bench::MakeSyntheticShape(options);
  for (std::string& line : lines) {
    const auto at = line.find("prim_state Element_4 (");
    if (at != std::string::npos) line.replace(at + 11, 9, kLongName);
  }
  QFile shape(QDir(folder).filePath(QStringLiteral("loco.s")));
  QVERIFY(shape.open(QIODevice::WriteOnly));
  const std::string bytes = quarvel::EncodeShapeBytes(lines, std::string("\xFF\xFE", 2));
  shape.write(bytes.data(), static_cast<qint64>(bytes.size()));
  shape.close();

  std::string plan =
      "[Delta]\r\nPoints=0,001\r\nNormals=0\r\n[LODs]\r\nAnzahl=3\r\n1=100\r\n"
      "2=500\r\n3=2000\r\n[SONR_L1]\r\n";
  for (int k = 1; k <= 70; ++k)
    plan += std::to_string(k) + "=" + std::to_string((k - 1) % 36 + 1) + "\r\n";
  QFile settings(QDir(folder).filePath(QStringLiteral("loco.Quarvel")));
  QVERIFY(settings.open(QIODevice::WriteOnly));
  settings.write(plan.data(), static_cast<qint64>(plan.size()));
}

std::string ElementHeader() {
  return "Name" + Blanks(31) + " Image" + Blanks(11) + "    Faces  L 1  L 2  L 3";
}

// Saves page `page` as a picture where QUARVEL_SCREENSHOTS names a folder.
void KeepPicture(const QString& pdf, int page, const QString& name) {
  const QString folder = qEnvironmentVariable("QUARVEL_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QProcess::execute(
      QStringLiteral("pdftoppm"),
      {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-f"),
       QString::number(page), QStringLiteral("-l"), QString::number(page),
       QStringLiteral("-singlefile"), pdf, QDir(folder).filePath(name)});
}

}  // namespace

class PrintoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    if (!quarvel::apptest::HavePoppler())
      QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read back");
    quarvel::SetDecimalSeparator(',');
  }
  void cleanup() { quarvel::SetDecimalSeparator('.'); }

  void seventyElementsOnUprightA4Pages() {
    QTemporaryDir home;
    WriteShapeWithPlan(home.path());
    const QString pdf = home.filePath(QStringLiteral("plan.pdf"));
    PdfPrinter printer(pdf.toStdString());
    {
      WindowFixture f(home.path(), nullptr, &printer);
      f.dialogs.ChooseFile(home.filePath(QStringLiteral("loco.s")).toStdString());
      QTest::mouseClick(f.Find<QPushButton>("OeffnenButton"), Qt::LeftButton);
      QCOMPARE(f.form().session.Elements(), 70);
      QCOMPARE(f.form().StringGrid2.RowCount(), 37);
      f.dialogs.Answer(Answer::Yes);
      f.dialogs.Answer(Answer::No);  // upright: 287 mm printable
      QTest::mouseClick(f.Find<QPushButton>("E_DruckenButton"), Qt::LeftButton);
      QCOMPARE(f.dialogs.Count(), std::size_t{2});
    }
    const PdfListing listing = ReadPdfListing(pdf, 4.3 * kPointsPerMm);
    QCOMPARE(listing.pages.size(), std::size_t{3});
    KeepPicture(pdf, 1, QStringLiteral("printout-page1"));
    KeepPicture(pdf, 2, QStringLiteral("printout-page2"));
    KeepPicture(pdf, 3, QStringLiteral("printout-page3"));

    // 20 mm into the printable area, which starts 5 mm from the edges.
    QVERIFY(std::abs(listing.leftPt - 25 * kPointsPerMm) < 0.5);
    QVERIFY(std::abs(listing.topPt - 5 * kPointsPerMm) < 1.5);

    const std::string title = "loco.s 24.12.2024 18:30:05 Seite ";
    QCOMPARE(Q(listing.Line(1, 0)), Q(title + "1"));
    QCOMPARE(Q(listing.Line(1, 1)), Q(std::string()));
    QCOMPARE(Q(listing.Line(1, 2)), Q(std::string("Elemente")));
    QCOMPARE(Q(listing.Line(1, 3)), Q(ElementHeader()));
    QCOMPARE(Q(listing.Line(1, 4)), Q("Element_0" + Blanks(26) + " texture0.ace" + Blanks(4) +
                                      "        8    1    1    1"));
    // The long name is cut to its column, marked; its row keeps every column.
    QCOMPARE(Q(listing.Line(1, 8)), Q(std::string(kLongNameCut) + " texture0.ace" + Blanks(4) +
                                      "        8    5    1    1"));
    for (int k = 0; k < 58; ++k) {
      const std::string name = k == 4 ? kLongNameCut : "Element_" + std::to_string(k);
      QVERIFY(listing.Line(1, k + 4).starts_with(name + " "));
    }
    QCOMPARE(listing.pages[0].size(), std::size_t{62});  // lines 0 to 61

    QCOMPARE(Q(listing.Line(2, 0)), Q(title + "2"));
    QCOMPARE(Q(listing.Line(2, 2)), Q(std::string("Elemente")));
    QCOMPARE(Q(listing.Line(2, 3)), Q(ElementHeader()));
    QCOMPARE(Q(listing.Line(2, 4).substr(0, 12)), Q(std::string("Element_58  ")));
    QCOMPARE(Q(listing.Line(2, 15).substr(0, 12)), Q(std::string("Element_69  ")));
    QCOMPARE(Q(listing.Line(2, 17)), Q(std::string("Subobjekte")));
    QCOMPARE(Q(listing.Line(2, 18)), Q(std::string("  Nr.   Vert. L 1  L 1  L 2  L 3")));
    QCOMPARE(Q(listing.Line(2, 19).substr(0, 5)), Q(std::string("    1")));
    QCOMPARE(Q(listing.Line(2, 54).substr(0, 5)), Q(std::string("   36")));
    QCOMPARE(Q(listing.Line(2, 56)), Q(std::string("LOD's")));
    QCOMPARE(Q(listing.Line(2, 57)), Q(std::string("  Nr.   Entfernung    Faces")));
    QCOMPARE(Q(listing.Line(2, 58).substr(0, 18)), Q(std::string("    1          100")));
    QCOMPARE(Q(listing.Line(2, 60).substr(0, 18)), Q(std::string("    3         2000")));
    QCOMPARE(listing.pages[1].size(), std::size_t{61});

    // Three lines were left: the matrices open page 3 under its header.
    QCOMPARE(Q(listing.Line(3, 0)), Q(title + "3"));
    QCOMPARE(Q(listing.Line(3, 2)), Q(std::string("Matrizen")));
    QCOMPARE(Q(listing.Line(3, 3)), Q("Name" + Blanks(31) + "    Faces   Anim."));
    QCOMPARE(Trimmed(listing.Line(3, 4)).substr(0, 4), std::string("MAIN"));
    QCOMPARE(Trimmed(listing.Line(3, 6)).substr(0, 5), std::string("PART2"));
    QCOMPARE(Q(listing.Line(3, 8)), Q(std::string("Toleranz Punkte: 0,001; Toleranz Normalen: 0")));

    const QString fonts = quarvel::apptest::PdfFonts(pdf);
    QVERIFY2(fonts.contains(QLatin1String("LiberationMono-Bold")) ||
                 fonts.contains(QLatin1String("CourierNew")),
             qPrintable(fonts));
  }

  void theCommandLineWritesItInLandscape() {
    QTemporaryDir home;
    WriteShapeWithPlan(home.path());
    const QString pdf = home.filePath(QStringLiteral("plan.pdf"));
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(QUARVEL_CLI_PATH),
              {home.filePath(QStringLiteral("loco.s")), QStringLiteral("--print-pdf"), pdf});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QString messages = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(messages.contains(QLatin1String("Querformat")), qPrintable(messages));
    QVERIFY2(!messages.contains(QLatin1String("QStandardPaths")), qPrintable(messages));

    // 200 mm across: 41 lines, the elements on lines 4 to 40.
    const PdfListing listing = ReadPdfListing(pdf, 4.3 * kPointsPerMm);
    QCOMPARE(listing.pages.size(), std::size_t{4});
    QVERIFY(listing.Line(1, 0).starts_with("loco.s "));
    QVERIFY(listing.Line(1, 0).ends_with(" Seite 1"));
    QCOMPARE(Q(listing.Line(1, 3)), Q(ElementHeader()));
    QCOMPARE(Q(listing.Line(1, 40).substr(0, 12)), Q(std::string("Element_36  ")));
    QCOMPARE(Q(listing.Line(2, 4).substr(0, 12)), Q(std::string("Element_37  ")));
    // The LOD section found no room on page 3 either.
    QCOMPARE(Q(listing.Line(4, 2)), Q(std::string("LOD's")));
    QCOMPARE(Q(listing.Line(4, 14)),
             Q(std::string("Toleranz Punkte: 0,001; Toleranz Normalen: 0")));
    KeepPicture(pdf, 1, QStringLiteral("printout-cli-page1"));

    // A file that cannot be written is said so, and nothing half written stays.
    const QString nowhere = home.filePath(QStringLiteral("no/such/folder/plan.pdf"));
    cli.start(QStringLiteral(QUARVEL_CLI_PATH),
              {home.filePath(QStringLiteral("loco.s")), QStringLiteral("--print-pdf"), nowhere});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 4);
    const QString refusal = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(refusal.contains(QStringLiteral("In %1 kann nicht geschrieben werden").arg(nowhere)),
             qPrintable(refusal));

    // The printout goes through the rule of every save: a pipe stays a pipe
    // (and nothing waits for a reader), "-" is standard output.
    const QString pipe = home.filePath(QStringLiteral("pipe.pdf"));
    QVERIFY(::mkfifo(pipe.toLocal8Bit().constData(), 0600) == 0);
    cli.start(QStringLiteral(QUARVEL_CLI_PATH),
              {home.filePath(QStringLiteral("loco.s")), QStringLiteral("--print-pdf"), pipe});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 4);
    QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
    cli.start(QStringLiteral(QUARVEL_CLI_PATH),
              {home.filePath(QStringLiteral("loco.s")), QStringLiteral("--print-pdf"),
               QStringLiteral("-")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(cli.readAllStandardOutput().startsWith("%PDF-"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("-")));
  }
};

QTEST_MAIN(PrintoutTest)
#include "printout_test.moc"
