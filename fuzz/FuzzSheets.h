#pragma once
// Reads every worksheet of a workbook reader and turns every cell into its
// text, as a preview would. A damaged input must end in SheetReadError;
// anything else (another exception, a crash, a sanitizer report) is a finding.
#include <cstdint>
#include <string>

#include "import_excel/CellText.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::fuzz {

class TextSink : public import_excel::CellSink {
public:
    void cell(std::uint32_t, std::uint32_t, const import_excel::SheetCell& value) override {
        m_bytes += import_excel::cellText(value).size();
    }
    // As a preview of a large grid asks.
    std::uint32_t rowsWanted() const override { return 2000; }
    std::uint32_t colsWanted() const override { return 64; }
    std::size_t m_bytes = 0;
};

// Also as a preview reads: the sheet the workbook opens on, chosen by the
// reader itself (for some formats in the same pass as the names).
template <typename Open>
int readAllSheets(const std::uint8_t* data, std::size_t size, Open open) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        auto book = open(bytes);
        TextSink sink;
        for (std::size_t i = 0; i < book->sheetNames().size(); ++i) book->readSheet(i, sink);
        (void)book->opensFirst();
    } catch (const import_excel::SheetReadError&) {
    }
    try {
        auto book = open(bytes);
        TextSink sink;
        (void)book->readChosenSheet("", sink);
        (void)book->opensFirst();
    } catch (const import_excel::SheetReadError&) {
    }
    return 0;
}

}  // namespace tessaro7::fuzz
