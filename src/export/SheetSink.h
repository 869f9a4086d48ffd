#pragma once
// One worksheet file being written in one format. The export routine decides
// which cells a list's rows give (Null rules, cut texts, numbers); a sink only
// lays them out in its format: page settings, fonts, widths, the heading row,
// the cells in row order, the protection, the end of the file.
#include <memory>
#include <string>

#include "db/Value.h"
#include "export/ExportLists.h"
#include "export/SheetFormat.h"

namespace tessaro7::exporting {

class SheetSink {
public:
    virtual ~SheetSink() = default;

    // Creates the file, replacing one of that name, for a sheet named
    // `sheetName` where the format names sheets; false with failureReason().
    virtual bool create(const std::string& fileName, const std::string& sheetName) = 0;
    // Everything before the data rows: settings, fonts, widths, the heading row (row 1).
    virtual void begin(const ExportList& list) = 0;
    // A data cell at 1-based row and column. A text cell's value is a text
    // made to fit the format (sheetText), or a date; a number is finite.
    virtual void text(long row, int column, Align align, const db::Value& value) = 0;
    virtual void number(long row, int column, Align align, double value) = 0;
    // After the last row (`lastRow`, the heading's 1 when there is none):
    // the protection and the end of the file; false with failureReason()
    // when the file could not be written whole.
    virtual bool finish(const ExportList& list, long lastRow) = 0;
    // Ends a file the caller is about to remove.
    virtual void abandon() = 0;
    virtual const std::string& failureReason() const = 0;
};

std::unique_ptr<SheetSink> makeSheetSink(SheetFormat format);

}  // namespace tessaro7::exporting
