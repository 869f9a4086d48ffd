#include "export/XlsxSheet.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>

#include "app/Messages.h"
#include "export/FileFailure.h"

namespace tessaro7::exporting {

namespace {

constexpr double kMarginInches = 1.5;

lxw_row_t sheetRow(long oneBased) { return static_cast<lxw_row_t>(oneBased - 1); }
lxw_col_t sheetColumn(int oneBased) { return static_cast<lxw_col_t>(oneBased - 1); }

// The range a date cell can show: spreadsheet dates start in 1900, and the
// serials before 1 March 1900 count a 29 February 1900 that some readers
// (LibreOffice, the JavaScript ones) do not, showing those days a day early.
bool showableDate(const db::DateTime& d) {
    return (d.year > 1900 || (d.year == 1900 && d.month >= 3)) && d.year <= 9999;
}

}  // namespace

XlsxSheet::~XlsxSheet() { abandon(); }

bool XlsxSheet::create(const std::string& fileName, const std::string& sheetName) {
    // The file is made now, as the BIFF2 export makes it, so a folder that
    // cannot take it fails before any row is read; the library writes it
    // whole at the end.
    FileFailure failure{};
    std::FILE* file = replaceFile(fileName, m_path, failure);
    if (!file) {
        m_failureReason = failure.reason;
        return false;
    }
    std::fclose(file);

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_workbook = workbook_new_opt(m_path.c_str(), &options);
    if (m_workbook) m_sheet = workbook_add_worksheet(m_workbook, sheetName.c_str());
    // In constant-memory mode the rows go to a temporary file made here.
    if (!m_sheet || !m_sheet->optimize_tmpfile) {
        abandon();
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
        m_failureReason = app::msg::kWriteNoTemporary;
        return false;
    }
    return true;
}

lxw_format* XlsxSheet::format(Style style, Align align) const {
    return m_formats[static_cast<std::size_t>(2 * style + (align == Align::Right ? 1 : 0))];
}

void XlsxSheet::begin(const ExportList& list) {
    for (int style = 0; style < kStyles; ++style)
        for (Align align : {Align::Left, Align::Right}) {
            lxw_format* f = workbook_add_format(m_workbook);
            format_set_font_name(f, "Arial");
            format_set_font_size(f, 10);
            format_set_align(f, align == Align::Right ? LXW_ALIGN_RIGHT : LXW_ALIGN_LEFT);
            if (style == Heading) format_set_bold(f);
            if (style == Date) format_set_num_format(f, "dd/mm/yyyy");
            if (style == DateTime) format_set_num_format(f, "dd/mm/yyyy hh:mm:ss");
            m_formats[static_cast<std::size_t>(2 * style + (align == Align::Right ? 1 : 0))] = f;
        }
    worksheet_set_margins(m_sheet, kMarginInches, kMarginInches, kMarginInches, kMarginInches);
    m_columns = static_cast<int>(list.columns.size());
    for (int c = 1; c <= m_columns; ++c) {
        const ExportColumn& column = list.columns[static_cast<std::size_t>(c - 1)];
        worksheet_set_column(m_sheet, sheetColumn(c), sheetColumn(c), column.width, nullptr);
        worksheet_write_string(m_sheet, 0, sheetColumn(c), column.heading, format(Heading, column.headingAlign));
    }
    worksheet_freeze_panes(m_sheet, 1, 0);
}

void XlsxSheet::text(long row, int column, Align align, const db::Value& value) {
    if (value.kind() == db::Value::Kind::Date && showableDate(value.date())) {
        const db::DateTime& d = value.date();
        lxw_datetime when{d.year, d.month, d.day, d.hour, d.minute, static_cast<double>(d.second)};
        worksheet_write_datetime(m_sheet, sheetRow(row), sheetColumn(column), &when,
                                 format(d.hasTime ? DateTime : Date, align));
        return;
    }
    const std::string shown = value.kind() == db::Value::Kind::Text ? std::string() : value.toText();
    const std::string& text = value.kind() == db::Value::Kind::Text ? value.text() : shown;
    worksheet_write_string(m_sheet, sheetRow(row), sheetColumn(column), text.c_str(), format(Data, align));
}

void XlsxSheet::number(long row, int column, Align align, double value) {
    worksheet_write_number(m_sheet, sheetRow(row), sheetColumn(column), value, format(Data, align));
}

bool XlsxSheet::finish(const ExportList& list, long lastRow) {
    worksheet_autofilter(m_sheet, 0, 0, sheetRow(lastRow), sheetColumn(m_columns));
    if (list.protect) {
        lxw_protection options{};
        options.autofilter = LXW_TRUE;  // the heading's filter stays usable
        worksheet_protect(m_sheet, nullptr, &options);
    }
    // The rows went to the temporary file through stdio: a write it refused
    // (a full disk) shows only in its error flag.
    if (std::fflush(m_sheet->optimize_tmpfile) != 0 || std::ferror(m_sheet->optimize_tmpfile)) {
        m_failureReason = app::msg::kWriteTemporaryFailed;
        abandon();
        return false;
    }
    errno = 0;
    const lxw_error result = workbook_close(m_workbook);
    const int err = errno;
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (result == LXW_NO_ERROR) return true;
    m_failureReason = result == LXW_ERROR_CREATING_XLSX_FILE ? createFailure(err).reason : writeFailure(err).reason;
    return false;
}

void XlsxSheet::abandon() {
    // The library frees a workbook without closing the sheet's temporary file.
    if (m_sheet && m_sheet->optimize_tmpfile) {
        std::fclose(m_sheet->optimize_tmpfile);
        m_sheet->optimize_tmpfile = nullptr;
    }
    if (m_workbook) lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
}

}  // namespace tessaro7::exporting
