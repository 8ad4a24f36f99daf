// The text of a PDF as poppler's pdftotext reads it back, rebuilt into the
// lines of a fixed-pitch listing: each word goes to the column and line its
// position on the page gives.
#pragma once
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace quarvel::apptest {

struct PdfWord {
  double xMin, yMin, xMax;
  std::string text;
};

struct PdfListing {
  // pages[p][k]: line k of page p + 1, blanks where no word stands.
  std::vector<std::vector<std::string>> pages;
  double leftPt = 0;  // where the lines start, from the page's left edge
  double topPt = 0;   // where line 0 starts, from the page's top edge
  double pitchPt = 0;
  std::string Line(int page, int line) const {
    const auto& lines = pages.at(static_cast<std::size_t>(page - 1));
    return line < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(line)] : "";
  }
};

inline bool HavePoppler() {
  return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

inline std::string Unescape(QString text) {
  text.replace(QLatin1String("&lt;"), QLatin1String("<"));
  text.replace(QLatin1String("&gt;"), QLatin1String(">"));
  text.replace(QLatin1String("&quot;"), QLatin1String("\""));
  text.replace(QLatin1String("&#39;"), QLatin1String("'"));
  text.replace(QLatin1String("&apos;"), QLatin1String("'"));
  text.replace(QLatin1String("&amp;"), QLatin1String("&"));
  return text.toStdString();
}

// `pitchPt`: the distance of two lines. Columns are measured in the advance
// of the first word on the first page, lines from that word's top.
inline PdfListing ReadPdfListing(const QString& pdf, double pitchPt) {
  QTemporaryDir dir;
  const QString html = dir.filePath(QStringLiteral("words.html"));
  PdfListing listing;
  if (QProcess::execute(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, html}) != 0)
    return listing;
  QFile file(html);
  if (!file.open(QIODevice::ReadOnly)) return listing;
  const QString content = QString::fromUtf8(file.readAll());
  static const QRegularExpression page(QStringLiteral("<page [^>]*>(.*?)</page>"),
                                       QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression word(
      QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                     "yMax=\"[0-9.]+\">(.*?)</word>"));
  std::vector<std::vector<PdfWord>> pages;
  for (auto p = page.globalMatch(content); p.hasNext();) {
    auto& words = pages.emplace_back();
    const QString body = p.next().captured(1);
    for (auto w = word.globalMatch(body); w.hasNext();) {
      const auto m = w.next();
      words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                       Unescape(m.captured(4))});
    }
  }
  if (pages.empty() || pages[0].empty()) return listing;
  const PdfWord& first = pages[0][0];
  listing.leftPt = first.xMin;
  listing.topPt = first.yMin;
  listing.pitchPt = pitchPt;
  const double advance = (first.xMax - first.xMin) / static_cast<double>(first.text.size());
  for (const auto& words : pages) {
    // Columns count characters, not the bytes of their UTF-8.
    std::vector<QString> lines;
    for (const PdfWord& w : words) {
      const auto line = static_cast<std::size_t>(std::lround((w.yMin - listing.topPt) / pitchPt));
      const auto column = static_cast<int>(std::lround((w.xMin - listing.leftPt) / advance));
      if (lines.size() <= line) lines.resize(line + 1);
      QString& text = lines[line];
      const QString word = QString::fromStdString(w.text);
      if (text.size() < column) text.append(QString(column - text.size(), QLatin1Char(' ')));
      text.replace(column, std::min(word.size(), text.size() - column), word);
    }
    auto& page = listing.pages.emplace_back();
    for (const QString& line : lines) page.push_back(line.toStdString());
  }
  return listing;
}

// The names of the fonts a PDF uses (pdffonts).
inline QString PdfFonts(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdffonts"), {pdf});
  process.waitForFinished();
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace quarvel::apptest
