// The name a file is written under follows the chosen format's extension.
#include <gtest/gtest.h>

#include "export/SheetFormat.h"

namespace {

using namespace tessaro7::exporting;

TEST(FormatExtension, TheNameKeepsItsStemAndTakesTheFormatsExtension) {
    struct Case {
        const char* name;
        SheetFormat format;
        const char* written;
    };
    const Case cases[] = {
        {"XLSComuni.xls", SheetFormat::Xlsx, "XLSComuni.xlsx"},
        {"XLSComuni.xlsx", SheetFormat::Xls, "XLSComuni.xls"},
        {"MieiComuni.xlsx", SheetFormat::Xls, "MieiComuni.xls"},
        {"Prova.xls", SheetFormat::Xlsx, "Prova.xlsx"},
        {"Prova.XLS", SheetFormat::Xlsx, "Prova.xlsx"},
        {"Prova.XLS", SheetFormat::Xls, "Prova.XLS"},      // already the format's, any case
        {"Prova.Xlsx", SheetFormat::Xlsx, "Prova.Xlsx"},
        {"Prova", SheetFormat::Xlsx, "Prova.xlsx"},        // none: added
        {"Prova", SheetFormat::Xls, "Prova.xls"},
        {"Prova.txt", SheetFormat::Xls, "Prova.txt.xls"},  // another one: the format's added after it
        {"Elenco.2024", SheetFormat::Xlsx, "Elenco.2024.xlsx"},
        {"sotto\\Prova.xls", SheetFormat::Xlsx, "sotto\\Prova.xlsx"},
        {"Provaxls", SheetFormat::Xls, "Provaxls.xls"},    // "xls" without its dot is no extension
    };
    for (const Case& c : cases)
        EXPECT_EQ(withFormatExtension(c.name, c.format), c.written) << c.name << " " << rulesOf(c.format).name;
}

}  // namespace
