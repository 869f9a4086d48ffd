// The causes of a refused workbook: each has a sentence of its own, and a
// failure with a detail gives the sentence and the detail in parentheses.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "import_excel/WorkbookReader.h"

namespace {

using namespace tessaro7::import_excel;
using F = ReadFailure;

TEST(ReadFailure, EveryCauseHasASentenceOfItsOwn) {
    const F causes[] = {F::Damaged,       F::Truncated,       F::BadOffset,     F::ChainLoop,      F::TooLarge,
                        F::Encrypted,     F::NotThisFormat,   F::UnknownCodePage, F::Unsupported,  F::CellsUnreadable,
                        F::TwoEndRecords, F::EntriesOverlap,  F::EntryTwice,    F::SizesDisagree,  F::HeaderDisagrees,
                        F::BadChecksum,   F::BadXml,          F::Dtd};
    std::set<std::string> seen;
    for (F cause : causes) {
        const std::string text = readFailureText(cause);
        EXPECT_FALSE(text.empty()) << static_cast<int>(cause);
        EXPECT_TRUE(seen.insert(text).second) << "two causes share: " << text;
    }
}

TEST(ReadFailure, TheReasonIsTheSentenceThenTheDetailOrAReasonOfItsOwn) {
    struct Case {
        SheetReadError error;
        F cause;
        std::string what;
    };
    const Case cases[] = {
        {SheetReadError(F::Truncated, ""), F::Truncated, readFailureText(F::Truncated)},
        {SheetReadError(F::ChainLoop, "settore 7"), F::ChainLoop, std::string(readFailureText(F::ChainLoop)) + " (settore 7)"},
        {SheetReadError::withReason(F::Dtd, "la parte x.xml"), F::Dtd, "la parte x.xml"},
        {SheetReadError("è una cartella"), F::Damaged, "è una cartella"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.error.cause(), c.cause) << c.what;
        EXPECT_EQ(c.error.what(), c.what);
    }
}

}  // namespace
