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

// Why a workbook cannot be read; each cause has its Italian sentence
// (readFailureText), which a detail (where, which value) may follow.
enum class ReadFailure {
    Damaged,          // damage of any other kind
    Truncated,        // a record, stream or part ends before its declared length
    BadOffset,        // a position or sector number points outside the file or stream
    ChainLoop,        // a chain of sectors or a directory returns to itself
    TooLarge,         // more than the file or the limits allow (sizes, sheets, text)
    Encrypted,        // protected by a password
    NotThisFormat,    // not a workbook of the format its first bytes claim
    UnknownCodePage,  // text in a code page no converter knows
    Unsupported,      // a variant of the format the program does not read
    CellsUnreadable,  // a worksheet holds cells in records the program cannot read
    TwoEndRecords,    // a zip package with two end records: which one counts cannot be told
    EntriesOverlap,   // two entries of a package share bytes
    EntryTwice,       // two entries of a package have the same part name
    SizesDisagree,    // an entry's sizes differ between its header, the directory and its data
    HeaderDisagrees,  // an entry's local header names another entry or method than the directory
    BadChecksum,      // an entry's data does not give its CRC-32
    BadXml,           // a part is not well-formed XML
    Dtd,              // a part declares a document type, which the formats do not allow
};

// The Italian sentence of a cause.
const char* readFailureText(ReadFailure cause);

// A workbook that cannot be read; what() is the Italian reason.
class SheetReadError : public std::runtime_error {
public:
    // A reason written out whole: the cause is Damaged.
    explicit SheetReadError(const std::string& reason) : std::runtime_error(reason) {}
    // The cause's sentence, then the detail in parentheses when there is one.
    SheetReadError(ReadFailure cause, const std::string& detail);
    // A cause with a reason of its own, written out whole.
    static SheetReadError withReason(ReadFailure cause, const std::string& reason);
    ReadFailure cause() const { return m_cause; }

private:
    struct Whole {};
    SheetReadError(Whole, ReadFailure cause, const std::string& reason)
        : std::runtime_error(reason), m_cause(cause) {}

    ReadFailure m_cause = ReadFailure::Damaged;
};

// A cell as the workbook stores it; a formula cell is given as its stored result.
struct SheetCell {
    enum class Type {
        Text,      // `text`
        Number,    // `number`
        Date,      // `number`, a day count: from 01/01/1904 when `epoch1904`, else day 1 = 01/01/1900
        Elapsed,   // `number`, a duration in days, shown in elapsed hours
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
    // Reads the worksheet named `sheet` (any letter case), or the one the
    // workbook opens on when `sheet` is empty; the index of the one read.
    // A reader that finds the names and the cells in one pass over the file
    // reads them so.
    virtual std::size_t readChosenSheet(const std::string& sheet, CellSink& sink);
};

// A worksheet asked for by a name the workbook does not have.
[[noreturn]] void refuseMissingSheet(const std::string& sheet, const std::vector<std::string>& names);
// A workbook without worksheets.
[[noreturn]] void refuseNoSheets();

// The readers take the whole file; each throws SheetReadError on a damaged one.
std::unique_ptr<WorkbookReader> openBiffWorkbook(std::string bytes);
std::unique_ptr<WorkbookReader> openXlsxWorkbook(std::string bytes);
std::unique_ptr<WorkbookReader> openOdsWorkbook(std::string bytes);
std::unique_ptr<WorkbookReader> openCsvWorkbook(std::string bytes);
// A .csv read from its file a piece at a time: memory does not grow with the file.
std::unique_ptr<WorkbookReader> openCsvFile(const std::string& path);
// A .xls read from its file where its records are: the workbook globals are
// held, the sheet's records are read through and not kept.
std::unique_ptr<WorkbookReader> openBiffFile(const std::string& path);

enum class WorkbookFormat { Biff, Xlsx, Ods, Csv };
// The format from the file's first bytes, whatever its name; a file that is
// none of them is refused with the reason.
WorkbookFormat detectFormat(std::string_view bytes);
std::unique_ptr<WorkbookReader> openWorkbook(std::string bytes);

}  // namespace tessaro7::import_excel
