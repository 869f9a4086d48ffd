// Texts compared without regard to case and accents.
#include "db/FoldedText.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* text;
    const char* folded;
    const char* letters;
};

TEST(FoldedTextTest, CaseAccentsBlanksAndPunctuation) {
    const Case cases[] = {
        {"Città", "citta", "citta"},
        {"  ÀLFA Ricambi ", "alfa ricambi", "alfaricambi"},
        {"P. IVA", "p. iva", "piva"},
        {"Partita I.V.A.", "partita i.v.a.", "partitaiva"},
        {"E-Mail", "e-mail", "email"},
        {"Località", "localita", "localita"},
        {"Straße", "strasse", "strasse"},
        {"Łódź", "lodz", "lodz"},
        {"Œuvre", "ouvre", "ouvre"},
        {"Qtà", "qta", "qta"},
        {"Cod. articolo 2", "cod. articolo 2", "codarticolo2"},
        {"", "", ""},
        {"Москва", "Москва", "Москва"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tessaro7::db::foldedText(c.text), c.folded) << c.text;
        EXPECT_EQ(tessaro7::db::lettersAndDigits(c.text), c.letters) << c.text;
    }
}

}  // namespace
