#pragma once
// The BIFF2 worksheet of an export, written through ExcelFile: the page
// settings, four fonts, the four XF records every cell points at, the column
// widths and the cells.
#include "export/ExcelFile.h"
#include "export/SheetSink.h"

namespace tessaro7::exporting {

class Biff2Sheet : public SheetSink {
public:
    bool create(const std::string& fileName, const std::string& sheetName) override;
    void begin(const ExportList& list) override;
    void text(long row, int column, Align align, const db::Value& value) override;
    void number(long row, int column, Align align, double value) override;
    bool finish(const ExportList& list, long lastRow) override;
    void abandon() override;
    const std::string& failureReason() const override { return m_xf.failureReason(); }

private:
    ExcelFile m_xf;
};

}  // namespace tessaro7::exporting
