#include "export/Biff2Sheet.h"

#include <iterator>

namespace tessaro7::exporting {

namespace {

constexpr int kCodePage = 1252;
constexpr double kMarginInches = 1.5;
constexpr int kDataFont = 0;
constexpr int kHeadingFont = 64;  // the second FONT record, bold

// The XF records of every file, in file order: readers take a cell's font and
// alignment from the XF its first attribute byte points at, and some drop a
// cell that points at none.
struct CellFormat {
    int cellFont;  // as in the cell's second attribute byte
    Align align;
};
constexpr CellFormat kCellFormats[] = {
    {kDataFont, Align::Left}, {kHeadingFont, Align::Left}, {kDataFont, Align::Right}, {kHeadingFont, Align::Right}};

// The XF matching a cell's font and alignment; the first when none does.
int cellFormatIndex(int cellFont, Align align) {
    for (std::size_t i = 0; i < std::size(kCellFormats); ++i)
        if (kCellFormats[i].cellFont == cellFont && kCellFormats[i].align == align) return static_cast<int>(i);
    return 0;
}

// One cell in the given font and alignment, pointing at its XF.
void writeCell(ExcelFile& writer, std::int32_t valueType, int cellFont, Align align, long row, int column,
               const db::Value& value) {
    writer.WriteValue(valueType, cellFont, static_cast<int>(align), cellFormatIndex(cellFont, align), row, column, value);
}

}  // namespace

// A BIFF2 worksheet file has no sheet name: readers name it after the file.
bool Biff2Sheet::create(const std::string& fileName, const std::string&) {
    return m_xf.CreateFile(fileName) == ExcelFile::kOk;
}

void Biff2Sheet::begin(const ExportList& list) {
    // Readers need the code page to decode accented text.
    m_xf.SetCodePage(kCodePage);
    m_xf.PrintGridLines(false);
    m_xf.SetMargin(ExcelFile::kTopMargin, kMarginInches);
    m_xf.SetMargin(ExcelFile::kLeftMargin, kMarginInches);
    m_xf.SetMargin(ExcelFile::kRightMargin, kMarginInches);
    m_xf.SetMargin(ExcelFile::kBottomMargin, kMarginInches);
    m_xf.SetFont("Arial", 10, 0);
    m_xf.SetFont("Arial", 10, 1);
    m_xf.SetFont("Arial", 10, 5);
    m_xf.SetFont("Courier", 12, 2);
    for (const CellFormat& format : kCellFormats)
        m_xf.SetCellFormat(format.cellFont / 64, 0, static_cast<int>(format.align));
    for (std::size_t c = 0; c < list.columns.size(); ++c) {
        const auto column = static_cast<std::int32_t>(c + 1);
        m_xf.SetColumnWidth(column, column, list.columns[c].width);
    }
    for (std::size_t c = 0; c < list.columns.size(); ++c)
        writeCell(m_xf, ExcelFile::kLabelCell, kHeadingFont, list.columns[c].headingAlign, 1, static_cast<int>(c + 1),
                  list.columns[c].heading);
}

void Biff2Sheet::text(long row, int column, Align align, const db::Value& value) {
    // A date becomes its regional text in the writer.
    writeCell(m_xf, ExcelFile::kLabelCell, kDataFont, align, row, column, value);
}

void Biff2Sheet::number(long row, int column, Align align, double value) {
    writeCell(m_xf, ExcelFile::kNumberCell, kDataFont, align, row, column, value);
}

bool Biff2Sheet::finish(const ExportList& list, long) {
    m_xf.ProtectSpreadsheet(list.protect);
    return m_xf.CloseFile() == ExcelFile::kOk;
}

void Biff2Sheet::abandon() { m_xf.CloseFile(); }

}  // namespace tessaro7::exporting
