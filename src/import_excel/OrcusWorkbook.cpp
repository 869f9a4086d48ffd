// .ods workbooks through liborcus, which fills a spreadsheet model (ixion)
// with the cells, the stored results of formulas, the styles and the active
// sheet. The package is checked first: what it would unpack to is bounded by
// the file's size, and so is the number of sheets.
#include <orcus/orcus_ods.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <orcus/spreadsheet/view.hpp>

#include <ixion/cell.hpp>
#include <ixion/formula_result.hpp>
#include <ixion/model_context.hpp>
#include <ixion/model_iterator.hpp>

#include <algorithm>

#include "import_excel/CellText.h"
#include "import_excel/WorkbookReader.h"
#include "import_excel/ZipPackage.h"

namespace tessaro7::import_excel {

namespace {

namespace ss = orcus::spreadsheet;

// The model is sized for what the preview can ask (rows and columns of an
// .xls sheet); cells beyond it are not kept.
constexpr ss::row_t kModelRows = 65536;
constexpr ss::col_t kModelCols = 256;
constexpr std::size_t kMaxSheets = 256;

// Refuses a workbook of more sheets than anyone keeps in one file.
class BoundedFactory : public ss::import_factory {
public:
    BoundedFactory(ss::document& doc, ss::view& view) : ss::import_factory(doc, view) {}
    ss::iface::import_sheet* append_sheet(ss::sheet_t index, std::string_view name) override {
        if (static_cast<std::size_t>(index) >= kMaxSheets)
            throw SheetReadError("la cartella di lavoro ha più di " + std::to_string(kMaxSheets) + " fogli");
        return ss::import_factory::append_sheet(index, name);
    }
};

unsigned biffErrorCode(ixion::formula_error_t error) {
    switch (error) {
    case ixion::formula_error_t::ref_result_not_available: return 0x17;
    case ixion::formula_error_t::division_by_zero: return 0x07;
    case ixion::formula_error_t::name_not_found: return 0x1D;
    case ixion::formula_error_t::no_range_intersection: return 0x00;
    case ixion::formula_error_t::invalid_value_type: return 0x0F;
    default: return 0x2A;
    }
}

class OrcusWorkbook : public WorkbookReader {
public:
    explicit OrcusWorkbook(std::string bytes)
        : m_bytes(std::move(bytes)), m_doc(ss::range_size_t{kModelRows, kModelCols}), m_view(m_doc) {
        checkPackage(m_bytes);
        BoundedFactory factory(m_doc, m_view);
        try {
            orcus::orcus_ods filter(&factory);
            filter.read_stream(m_bytes);
        } catch (const SheetReadError&) {
            throw;
        } catch (const std::exception& e) {
            throw SheetReadError(std::string("non è un foglio di calcolo .ods leggibile (") + e.what() + ")");
        }
        for (std::size_t i = 0; i < m_doc.get_sheet_count(); ++i)
            m_names.emplace_back(m_doc.get_sheet_name(static_cast<ss::sheet_t>(i)));
        ss::sheet_t active = m_view.get_active_sheet();
        if (active >= 0 && static_cast<std::size_t>(active) < m_names.size()) m_opensFirst = static_cast<std::size_t>(active);
        // An .ods gives its day numbers from the document's own origin.
        m_epoch1904 = m_doc.get_origin_date().year == 1904;
    }

    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return m_opensFirst; }

    void readSheet(std::size_t index, CellSink& sink) override {
        const ss::sheet* sheet = m_doc.get_sheet(static_cast<ss::sheet_t>(index));
        if (!sheet) throw SheetReadError("foglio inesistente");
        ixion::abs_range_t used = sheet->get_data_range();
        if (!used.valid() || used.first.row < 0 || used.first.column < 0) return;
        const ixion::model_context& cx = m_doc.get_model_context();
        ixion::abs_rc_range_t range;
        range.first = {0, 0};
        range.last = {std::min<ixion::row_t>(used.last.row, kModelRows - 1),
                      std::min<ixion::col_t>(used.last.column, kModelCols - 1)};
        for (auto it = cx.get_model_iterator(static_cast<ixion::sheet_t>(index), ixion::rc_direction_t::horizontal, range);
             it.has(); it.next()) {
            const auto& c = it.get();
            SheetCell cell;
            std::string text;
            switch (c.type) {
            case ixion::celltype_t::string: {
                const std::string* s = cx.get_string(std::get<ixion::string_id_t>(c.value));
                if (!s) continue;
                cell.text = *s;
                break;
            }
            case ixion::celltype_t::numeric:
                cell.type = isDate(*sheet, c.row, c.col) ? SheetCell::Type::Date : SheetCell::Type::Number;
                cell.number = std::get<double>(c.value);
                break;
            case ixion::celltype_t::boolean:
                cell.type = SheetCell::Type::Boolean;
                cell.number = std::get<bool>(c.value);
                break;
            case ixion::celltype_t::formula:
                if (!formulaResult(*std::get<const ixion::formula_cell*>(c.value), *sheet, c.row, c.col, cell, text))
                    continue;
                break;
            default: continue;
            }
            cell.epoch1904 = m_epoch1904;
            sink.cell(static_cast<std::uint32_t>(c.row), static_cast<std::uint32_t>(c.col), cell);
        }
    }

private:
    bool formulaResult(const ixion::formula_cell& f, const ss::sheet& sheet, ixion::row_t row, ixion::col_t col,
                       SheetCell& cell, std::string& text) const {
        try {
            ixion::formula_result result = f.get_result_cache(ixion::formula_result_wait_policy_t::throw_exception);
            switch (result.get_type()) {
            case ixion::formula_result::result_type::value:
                cell.type = isDate(sheet, row, col) ? SheetCell::Type::Date : SheetCell::Type::Number;
                cell.number = result.get_value();
                return true;
            case ixion::formula_result::result_type::string:
                text = result.get_string();
                cell.text = text;
                return true;
            case ixion::formula_result::result_type::error:
                if (result.get_error() == ixion::formula_error_t::no_result_error) break;
                cell.type = SheetCell::Type::Error;
                cell.text = errorText(biffErrorCode(result.get_error()));
                return true;
            default: break;
            }
        } catch (const std::exception&) {
        }
        cell.type = SheetCell::Type::NoResult;
        return true;
    }

    bool isDate(const ss::sheet& sheet, ixion::row_t row, ixion::col_t col) const {
        const ss::styles& styles = m_doc.get_styles();
        const ss::cell_format_t* format = styles.get_cell_format(sheet.get_cell_format(row, col));
        if (!format) return false;
        // An .ods cell format names its number format by position in the store.
        const ss::number_format_t* nf = styles.get_number_format(format->number_format);
        return nf && isDateFormat(nf->format_string);
    }

    std::string m_bytes;
    ss::document m_doc;
    ss::view m_view;
    std::vector<std::string> m_names;
    std::size_t m_opensFirst = 0;
    bool m_epoch1904 = false;
};

}  // namespace

std::unique_ptr<WorkbookReader> openOdsWorkbook(std::string bytes) {
    return std::make_unique<OrcusWorkbook>(std::move(bytes));
}

}  // namespace tessaro7::import_excel
