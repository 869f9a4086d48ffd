#include "import_excel/SheetReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/HugePages.h"
#include "app/Messages.h"
#include "db/FilledText.h"
#include "db/Names.h"
#include "db/PathResolver.h"
#include "import_excel/CellText.h"
#include "import_excel/CompoundFile.h"
#include "import_excel/PackagePart.h"

namespace tessaro7::import_excel {

namespace msg = app::msg;

namespace {

namespace fs = std::filesystem;

// Larger files are not workbooks anyone prepares for an import.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t(512) << 20;
// The largest .xls read whole; a larger one is read a piece at a time.
constexpr std::size_t kWholeXlsBytes = std::size_t(32) << 20;

// The first `most` bytes of a file (all of it when shorter), after the
// checks every file passes.
std::string readFile(const fs::path& file, std::uintmax_t most = kMaxFileBytes) {
    std::error_code ec;
    if (!fs::exists(file, ec)) throw SheetReadError(msg::kFileNotFound);
    if (fs::is_directory(file, ec)) throw SheetReadError(msg::kFileIsFolder);
    std::uintmax_t size = fs::file_size(file, ec);
    if (ec) throw SheetReadError(msg::kFileUnreadable);
    if (size > kMaxFileBytes)
        throw SheetReadError(ReadFailure::TooLarge, db::filledText(msg::kFileOverMegabytes, {{"n", std::to_string(kMaxFileBytes >> 20)}}));
    std::ifstream in(file, std::ios::binary);
    if (!in) throw SheetReadError(msg::kFileNotFoundOrUnreadable);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(std::min(size, most)));
    app::preferHugePages(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<std::size_t>(std::min(size, most)));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw SheetReadError(msg::kFileReadError);
    if (bytes.empty()) throw SheetReadError(msg::kFileEmpty);
    return bytes;
}

// Fills the grid with the cells inside it, and stops a file whose cells
// would hold far more text than the file itself (a short text shared by
// every cell of a huge grid).
class GridSink : public CellSink {
public:
    GridSink(PreviewGrid& grid, std::size_t fileBytes) : m_grid(grid), m_budget((std::size_t(16) << 20) + 8 * fileBytes) {}
    std::uint32_t rowsWanted() const override { return wanted(m_grid.PreviewRows()); }
    std::uint32_t colsWanted() const override { return wanted(m_grid.PreviewCols()); }
    void cell(std::uint32_t row, std::uint32_t col, const SheetCell& value) override {
        if (row >= static_cast<std::uint64_t>(m_grid.PreviewRows()) ||
            col >= static_cast<std::uint64_t>(m_grid.PreviewCols()))
            return;
        CellKind kind = value.type == SheetCell::Type::Error      ? CellKind::Error
                        : value.type == SheetCell::Type::NoResult ? CellKind::NoResult
                                                                  : CellKind::Value;
        if (value.type == SheetCell::Type::Text || value.type == SheetCell::Type::Error)
            m_grid.setCell(row, col, value.text, kind);
        else
            m_grid.setCell(row, col, cellText(value), kind);
        if (m_grid.textBytes() > m_budget)
            throw SheetReadError(ReadFailure::TooLarge,
                                 msg::kSheetTextTooLarge);
    }

private:
    static std::uint32_t wanted(long count) { return static_cast<std::uint32_t>(std::clamp<long>(count, 0, UINT32_MAX)); }

    PreviewGrid& m_grid;
    std::size_t m_budget;
};

// A zip package by what it holds, whatever the order of its entries: an
// OpenDocument spreadsheet (its "mimetype" says so, or it has content.xml),
// or an Office Open XML workbook (package relationships, or the workbook
// part where such packages keep it).
WorkbookFormat zipFormat(const ZipArchive& zip) {
    if (const ZipEntry* mimetype = zip.find("mimetype"); mimetype && mimetype->unpacked <= 256) {
        std::string type;
        zip.read(*mimetype, [&](std::string_view piece) {
            type += piece;
            return true;
        });
        if (type == "application/vnd.oasis.opendocument.spreadsheet") return WorkbookFormat::Ods;
        if (type.starts_with("application/vnd.oasis.opendocument."))
            throw SheetReadError(msg::kOdfNotSpreadsheet);
    }
    if (zip.find("_rels/.rels") || zip.find("xl/workbook.xml")) return WorkbookFormat::Xlsx;
    if (zip.find("content.xml")) return WorkbookFormat::Ods;
    throw SheetReadError(msg::kZipNotWorkbook);
}

// A list saved as text holds no NUL byte (a binary file, or UTF-16, does);
// other control characters are field text, which the import's checks refuse.
bool looksLikeText(std::string_view bytes) { return bytes.substr(0, 4096).find('\0') == std::string_view::npos; }

// The names of a list of sheets, the first few of them and how many more.
std::string someNames(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 5;
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) list += (i ? ", " : "") + names[i];
    if (names.size() > kShown) list += msg::kAndOthers + std::to_string(names.size() - kShown);
    return list;
}

}  // namespace

WorkbookFormat detectFormat(std::string_view bytes) {
    if (bytes.substr(0, 8) == kCompoundFileSignature) return WorkbookFormat::Biff;
    // A bare BIFF2 to BIFF8 stream starts with its BOF record.
    if (bytes.size() >= 4 && bytes[0] == 0x09 && (bytes[1] == 0x00 || bytes[1] == 0x02 || bytes[1] == 0x04 || bytes[1] == 0x08))
        return WorkbookFormat::Biff;
    if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4))
        return zipFormat(openPackage(bytes, msg::kZipOrOdsFormat));
    if (looksLikeText(bytes)) return WorkbookFormat::Csv;
    throw SheetReadError(msg::kNotAWorkbook);
}

std::unique_ptr<WorkbookReader> openWorkbook(std::string bytes) {
    switch (detectFormat(bytes)) {
    case WorkbookFormat::Biff: return openBiffWorkbook(std::move(bytes));
    case WorkbookFormat::Xlsx: return openXlsxWorkbook(std::move(bytes));
    case WorkbookFormat::Ods: return openOdsWorkbook(std::move(bytes));
    case WorkbookFormat::Csv: return openCsvWorkbook(std::move(bytes));
    }
    return nullptr;
}

void refuseMissingSheet(const std::string& sheet, const std::vector<std::string>& names) {
    throw SheetReadError(db::filledText(msg::kNoSuchSheet, {{"foglio", sheet}, {"fogli", someNames(names)}}));
}

void refuseNoSheets() { throw SheetReadError(msg::kNoWorksheets); }

std::size_t WorkbookReader::readChosenSheet(const std::string& sheet, CellSink& sink) {
    const std::vector<std::string>& names = sheetNames();
    if (names.empty()) refuseNoSheets();
    std::size_t chosen = std::min(opensFirst(), names.size() - 1);
    if (!sheet.empty()) {
        auto named = std::find_if(names.begin(), names.end(), [&](const std::string& name) { return db::sameName(name, sheet); });
        if (named == names.end()) refuseMissingSheet(sheet, names);
        chosen = static_cast<std::size_t>(named - names.begin());
    }
    readSheet(chosen, sink);
    return chosen;
}

namespace {

SheetRead readChosen(WorkbookReader& book, std::size_t fileBytes, const std::string& sheet, long rows, long cols) {
    SheetRead result;
    result.grid = PreviewGrid(rows, cols);
    GridSink sink(result.grid, fileBytes);
    result.read = book.readChosenSheet(sheet, sink);
    result.sheets = book.sheetNames();
    result.opensFirst = std::min(book.opensFirst(), result.sheets.size() - 1);
    return result;
}

}  // namespace

SheetRead readWorkbookBytes(std::string bytes, const std::string& sheet, long rows, long cols) {
    const std::size_t fileBytes = bytes.size();
    return readChosen(*openWorkbook(std::move(bytes)), fileBytes, sheet, rows, cols);
}

SheetRead readSheet(const std::string& path, const std::string& sheet, long rows, long cols) {
    const fs::path file = db::resolvePath(path);
    // A list saved as text and a zip package (told .ods or .xlsx by what it
    // holds) are read from the file a piece at a time, whatever their size.
    const std::string head = readFile(file, 4096);
    std::error_code ec;
    const auto fileSize = static_cast<std::size_t>(fs::file_size(file, ec));
    if (head.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
        ZipArchive package = openPackage(fileBytes(file.string()), msg::kZipOrOdsFormat);
        const WorkbookFormat format = zipFormat(package);
        auto book = format == WorkbookFormat::Ods ? openOdsPackage(std::move(package)) : openXlsxPackage(std::move(package));
        return readChosen(*book, fileSize, sheet, rows, cols);
    }
    if (detectFormat(head) == WorkbookFormat::Csv) return readChosen(*openCsvFile(file.string()), fileSize, sheet, rows, cols);
    // A .xls of ordinary size is read whole, its records then taken in place.
    if (fileSize <= kWholeXlsBytes) return readWorkbookBytes(readFile(file), sheet, rows, cols);
    return readChosen(*openBiffFile(file.string()), fileSize, sheet, rows, cols);
}

}  // namespace tessaro7::import_excel
