#pragma once
// The .xlsx worksheet of an export, written with libxlsxwriter in its
// constant-memory mode (rows go to a temporary file as they come, so memory
// stays flat in the row count): the lists' fonts, alignments and widths, the
// heading row frozen with an autofilter on it, dates as date cells.
#include <array>
#include <filesystem>

#include "export/SheetSink.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tessaro7::exporting {

class XlsxSheet : public SheetSink {
public:
    XlsxSheet() = default;
    ~XlsxSheet() override;
    XlsxSheet(const XlsxSheet&) = delete;
    XlsxSheet& operator=(const XlsxSheet&) = delete;

    bool create(const std::string& fileName, const std::string& sheetName) override;
    void begin(const ExportList& list) override;
    void text(long row, int column, Align align, const db::Value& value) override;
    void number(long row, int column, Align align, double value) override;
    bool finish(const ExportList& list, long lastRow) override;
    void abandon() override;
    const std::string& failureReason() const override { return m_failureReason; }

private:
    enum Style { Heading, Data, Date, DateTime, kStyles };
    lxw_format* format(Style style, Align align) const;

    std::filesystem::path m_path;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    int m_columns = 0;
    std::array<lxw_format*, 2 * kStyles> m_formats{};
    std::string m_failureReason;
};

}  // namespace tessaro7::exporting
