#include "ui/SettingsPrintout.h"

#include "common/Convert.h"

namespace quarvel {

namespace {

std::size_t CharacterCount(std::string_view utf8) {
  std::size_t count = 0;
  for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// The columns of one section: the fixed ones, joined by blanks, and for the
// tables with a column per LOD the LOD columns behind them.
struct TableFormat {
  std::vector<int> widths;
  std::vector<std::string> headings;
  bool lodColumns = false;
};

// `text` cut to `width` characters, its last one "…" when it was longer.
std::string CutToWidth(std::string_view text, int width) {
  if (width < 1 || CharacterCount(text) <= static_cast<std::size_t>(width))
    return std::string(text);
  std::size_t end = 0;
  for (int kept = 0; kept < width - 1; ++kept) do
      ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
  return std::string(text.substr(0, end)) + "\xE2\x80\xA6";
}

std::string FormatLine(const TableFormat& format, const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i < format.widths.size()) {
      if (i > 0) line += ' ';
      // A long name or image is cut to its column with a visible mark: the
      // rest of its row would otherwise be pushed off the page, faces and
      // LOD numbers with it, and no column of the table may go missing.
      const int width = format.widths[i];
      line += PadField(width < 0 ? CutToWidth(fields[i], -width) : fields[i], width);
    } else {
      line += PadField(fields[i], 5);
    }
  }
  return line;
}

// Rows 1..`rows` of a table whose fields `cell(col, row)` gives: the fixed
// columns, then one per LOD for the tables that have them.
template <typename Cell>
PrintSection TableSection(std::string title, int rows, int lods, const TableFormat& format,
                          const Cell& cell) {
  const int fixed = static_cast<int>(format.widths.size());
  const int last = format.lodColumns ? fixed + lods - 1 : fixed - 1;
  std::vector<std::string> headings = format.headings;
  for (int col = fixed; col <= last; ++col) headings.push_back("L " + IntToStr(col - fixed + 1));
  PrintSection section{std::move(title), FormatLine(format, headings), {}};
  for (int row = 1; row <= rows; ++row) {
    std::vector<std::string> fields;
    for (int col = 0; col <= last; ++col)
      fields.push_back(col < fixed ? cell(col, row) : cell.Lod(col - fixed + 1, row));
    section.lines.push_back(FormatLine(format, fields));
  }
  return section;
}

struct ElementFields {
  const SettingsTablesToPrint& t;
  std::string operator()(int col, int row) const {
    const ElementRow& element = t.tables.elements[row];
    return col == 0 ? element.name : col == 1 ? element.image : NumberText(element.faces);
  }
  std::string Lod(int lod, int row) const { return t.plan.Choice(row, lod).Text(); }
};

struct SubobjectFields {
  const SettingsTablesToPrint& t;
  std::string operator()(int col, int row) const {
    const SubobjectLine& line = t.summary.subobjects[row];
    return NumberText(col == 0 ? line.number : line.vertices);
  }
  std::string Lod(int lod, int row) const { return t.plan.SortMark(lod, row).Text(); }
};

struct LodFields {
  const SettingsTablesToPrint& t;
  std::string operator()(int col, int row) const {
    const LodLine& line = t.summary.lods[row];
    return col == 0 ? NumberText(line.number) : col == 1 ? line.distance : NumberText(line.faces);
  }
  std::string Lod(int, int) const { return {}; }
};

struct MatrixFields {
  const SettingsTablesToPrint& t;
  std::string operator()(int col, int row) const {
    const MatrixRow& matrix = t.tables.matrices[row];
    return col == 0   ? matrix.name
           : col == 1 ? NumberText(matrix.faces)
                      : t.plan.animationMarks[row].Text();
  }
  std::string Lod(int, int) const { return {}; }
};

class PageWriter {
 public:
  PageWriter(Printer& printer, const std::string& titleStart)
      : printer_(printer), titleStart_(titleStart) {
    printer_.SetFont(PrintoutFont(false));
    linesPerPage_ = LinesPerPage(printer_.PrintableHeightMm());
  }

  void Row(const PrintSection& section, const std::string& text) {
    if (Advance(1)) {
      PageTitle();
      Draw(2, section.title);
      printer_.SetFont(PrintoutFont(false));
      Draw(3, section.header);
      line_ = 4;
    }
    Draw(line_, text);
  }

  void SectionStart(const PrintSection& section) {
    if (line_ < linesPerPage_ - 4) {
      printer_.SetFont(PrintoutFont(true));
      Draw(line_ + 2, section.title);
      printer_.SetFont(PrintoutFont(false));
      Draw(line_ + 3, section.header);
      line_ += 3;
    } else {
      line_ = linesPerPage_;  // the first row opens the next page
    }
  }

  void ClosingLine(const std::string& text) {
    if (Advance(2)) {
      // The font stays bold from the title: the line shows in bold then.
      PageTitle();
      line_ = 4;
    }
    Draw(line_, text);
  }

 private:
  // Moves `lines` down; true when that opens a new page.
  bool Advance(int lines) {
    line_ += lines;
    if (line_ >= linesPerPage_) {
      line_ = 1;
      printer_.NewPage();
    }
    return line_ == 1;
  }

  void PageTitle() {
    printer_.SetFont(PrintoutFont(true));
    Draw(0, titleStart_ + " Seite " + IntToStr(printer_.PageNumber()));
  }

  void Draw(int line, const std::string& text) {
    printer_.TextOut(kPrintoutLeft, kPrintoutLinePitch * line, text);
  }

  Printer& printer_;
  const std::string& titleStart_;
  int linesPerPage_ = 0;
  int line_ = 0;
};

}  // namespace

PrintFont PrintoutFont(bool bold) {
  return {"Courier New", kPrintoutFontHeight, bold};
}

int LinesPerPage(int printableHeightMm) {
  return (printableHeightMm * 10 - 200) / kPrintoutLinePitch;
}

std::string PadField(std::string_view text, int width) {
  const std::size_t wanted = static_cast<std::size_t>(width < 0 ? -width : width);
  const std::size_t length = CharacterCount(text);
  if (length >= wanted) return std::string(text);
  const std::string blanks(wanted - length, ' ');
  return width < 0 ? std::string(text) + blanks : blanks + std::string(text);
}

PrintListing SettingsListing(const SettingsTablesToPrint& t) {
  PrintListing listing;
  const int lods = t.plan.lodCount;
  listing.sections.push_back(TableSection("Elemente", t.tables.elements.Count(), lods,
                                          {{-35, -16, 8}, {"Name", "Image", "Faces"}, true},
                                          ElementFields{t}));
  // The vertex column is headed by the first LOD whichever LOD the table shows.
  listing.sections.push_back(TableSection("Subobjekte", t.summary.subobjects.Count(), lods,
                                          {{5, 11}, {"Nr.", "Vert. L 1"}, true},
                                          SubobjectFields{t}));
  listing.sections.push_back(TableSection("LOD's", t.summary.lods.Count(), lods,
                                          {{5, 12, 8}, {"Nr.", "Entfernung", "Faces"}},
                                          LodFields{t}));
  listing.sections.push_back(TableSection("Matrizen", t.tables.matrices.Count(), lods,
                                          {{-35, 8, 7}, {"Name", "Faces", "Anim."}},
                                          MatrixFields{t}));
  listing.closingLine = "Toleranz Punkte: " + FloatToStr(t.plan.pointTolerance) +
                        "; Toleranz Normalen: " + FloatToStr(t.plan.normalTolerance);
  return listing;
}

void PrintListingPages(Printer& printer, const std::string& titleStart,
                       const PrintListing& listing) {
  printer.BeginDoc();
  try {
    PageWriter pages(printer, titleStart);
    for (std::size_t i = 0; i < listing.sections.size(); ++i) {
      const PrintSection& section = listing.sections[i];
      // The first section's first row opens page 1 with its header.
      if (i > 0) pages.SectionStart(section);
      for (const std::string& line : section.lines) pages.Row(section, line);
    }
    pages.ClosingLine(listing.closingLine);
  } catch (...) {
    printer.Abort();
    throw;
  }
  printer.EndDoc();
}

}  // namespace quarvel
