#pragma once
// One interface over the workbook formats the import reads (.xls, .xlsx,
// .ods, .csv): the worksheets by name, the one the workbook opens on, and the
// cells of a chosen worksheet. Each format has its own reader behind it.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro7::import_excel {

// A workbook that cannot be read; what() is the Italian reason.
class SheetReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A cell as the workbook stores it; a formula cell is given as its stored result.
struct SheetCell {
    enum class Type {
        Text,      // `text`
        Number,    // `number`
        Date,      // `number`, a day count from `epoch1904` ? 01/01/1904 : 30/12/1899
        Boolean,   // `number` 0 or 1
        Error,     // `text` the error as the spreadsheet shows it in Italian ("#DIV/0!", "#N/D")
        NoResult,  // a formula saved without its result
    };
    Type type = Type::Text;
    double number = 0;
    std::string_view text;
    bool epoch1904 = false;
};

// Receives the cells of a worksheet, in any order; a cell given twice keeps
// the later value.
class CellSink {
public:
    virtual ~CellSink() = default;
    virtual void cell(std::uint32_t row, std::uint32_t col, const SheetCell& value) = 0;
    // The rows and columns from the first that the receiver keeps: a reader
    // need not give, nor unpack, cells beyond them.
    virtual std::uint32_t rowsWanted() const { return UINT32_MAX; }
    virtual std::uint32_t colsWanted() const { return UINT32_MAX; }
};

class WorkbookReader {
public:
    virtual ~WorkbookReader() = default;
    // The worksheets in tab order (chart and macro sheets are not listed).
    virtual const std::vector<std::string>& sheetNames() const = 0;
    // The index in sheetNames() of the worksheet the workbook opens on.
    virtual std::size_t opensFirst() const = 0;
    virtual void readSheet(std::size_t index, CellSink& sink) = 0;
};

// The readers take the whole file; each throws SheetReadError on a damaged one.
std::unique_ptr<WorkbookReader> openBiffWorkbook(std::string bytes);
std::unique_ptr<WorkbookReader> openXlsxWorkbook(std::string bytes);
std::unique_ptr<WorkbookReader> openOdsWorkbook(std::string bytes);
std::unique_ptr<WorkbookReader> openCsvWorkbook(std::string bytes);

enum class WorkbookFormat { Biff, Xlsx, Ods, Csv };
// The format from the file's first bytes, whatever its name; a file that is
// none of them is refused with the reason.
WorkbookFormat detectFormat(std::string_view bytes);
std::unique_ptr<WorkbookReader> openWorkbook(std::string bytes);

}  // namespace tessaro7::import_excel
