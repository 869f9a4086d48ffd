// Messages with named places: each place filled by its value, the rest as written.
#include "db/FilledText.h"

#include <gtest/gtest.h>

namespace {

using tessaro7::db::filledText;

TEST(FilledText, EachNamedPlaceTakesItsValue) {
    struct Case {
        const char* text;
        const char* filled;
    };
    const Case cases[] = {
        {"la voce {voce} è cifrata", "la voce a.xml è cifrata"},
        {"le voci {voce} e {altra} si sovrappongono", "le voci a.xml e b.xml si sovrappongono"},
        {"{voce}{voce}", "a.xmla.xml"},
        {"{n} MB", "{n} MB"},                 // no value: the place stays
        {"senza posti", "senza posti"},
        {"aperta {voce", "aperta {voce"},      // a brace without its pair
        {"chiusa voce}", "chiusa voce}"},
        {"", ""},
        {"{}", "{}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filledText(c.text, {{"voce", "a.xml"}, {"altra", "b.xml"}}), c.filled) << c.text;
    // A value that looks like a place is not filled again.
    EXPECT_EQ(filledText("{voce}", {{"voce", "{altra}"}, {"altra", "x"}}), "{altra}");
}

}  // namespace
