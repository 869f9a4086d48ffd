#include <gtest/gtest.h>

#include "db/Cp1252.h"
#include "db/RegionalText.h"

using namespace tessaro7::db;

TEST(RegionalText, NumbersToItalianText) {
    EXPECT_EQ(numberToText(1.5), "1,5");
    EXPECT_EQ(numberToText(22), "22");
    EXPECT_EQ(numberToText(-0.25), "-0,25");
    EXPECT_EQ(numberToText(0.1 + 0.2), "0,3");  // 15 significant digits hide binary noise
    EXPECT_EQ(numberToText(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberToText(-0.0), "0");
    EXPECT_EQ(numberToText(1e20), "1E+20");
    EXPECT_EQ(numberToText(1.5e-7), "1,5E-07");
}

TEST(RegionalText, AcceptedNumberForms) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"12", 12},        {"  -3,5 ", -3.5},   {",25", 0.25},        {"7,", 7},
                 {"+4", 4},         {"1.234,5", 1234.5}, {"1.234.567", 1234567}, {"12.5", 12.5},
                 {"0.250", 0.25},   {"3.1416", 3.1416},  {"1,5E+3", 1500},      {"2e-2", 0.02},
                 {"\t0\t", 0},      {"007", 7}};
    for (const Case& c : cases) {
        auto v = textToNumber(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
    }
}

TEST(RegionalText, TextsThatAreNotClearlyNumbersAreRefused) {
    for (const char* text : {"", "   ", "1.500", "1,2,3", "12 34", "abc", "12abc", "-", ",", ".", "1.23.4",
                             "1.2345,6", "E5", "1E", "1e+", "inf", "nan", "1,5.3", "€ 5"})
        EXPECT_FALSE(textToNumber(text).has_value()) << '"' << text << '"';
}

TEST(RegionalText, DatesInBothForms) {
    DateTime d{2026, 3, 5};
    EXPECT_EQ(dateToText(d), "05/03/2026");
    EXPECT_EQ(dateToIso(d), "2026-03-05");
    EXPECT_EQ(parseDate("2026-03-05"), d);
    EXPECT_EQ(parseDate("5/3/2026"), d);
    DateTime t{2026, 3, 5, 14, 7, 9, true};
    EXPECT_EQ(dateToText(t), "05/03/2026 14:07:09");
    EXPECT_EQ(parseDate("2026-03-05 14:07:09"), t);
    EXPECT_EQ(parseDate("2026-03-05T14:07:09"), t);
    EXPECT_EQ(parseDate("2026-03-05 00:00:00"), d);  // midnight is a date without time
    EXPECT_FALSE(parseDate("31/02/2026"));
    EXPECT_FALSE(parseDate("2026-13-01"));
    EXPECT_FALSE(parseDate("29/02/2025"));
    EXPECT_TRUE(parseDate("29/02/2024"));
    EXPECT_FALSE(parseDate("05/03/26"));
    EXPECT_FALSE(parseDate("oggi"));
}

TEST(RegionalText, SerialDaysAsSpreadsheetsCountThem) {
    EXPECT_EQ(dateFromSerial(0), (DateTime{1899, 12, 30}));
    EXPECT_EQ(dateFromSerial(46086), (DateTime{2026, 3, 5}));
    EXPECT_EQ(dateFromSerial(46086.5), (DateTime{2026, 3, 5, 12, 0, 0, true}));
}

TEST(RegionalText, RoundingAndLeadingNumbers) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.6), 3);
    EXPECT_EQ(leadingNumber("12abc"), 12);
    EXPECT_EQ(leadingNumber("  30"), 30);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
}

TEST(Cp1252, BothWays) {
    EXPECT_EQ(utf8ToCp1252("€"), "\x80");
    EXPECT_EQ(utf8ToCp1252("à"), "\xE0");
    EXPECT_EQ(utf8ToCp1252("Città è"), "Citt\xE0 \xE8");
    EXPECT_EQ(utf8ToCp1252("“sì” – ok"), "\x93s\xEC\x94 \x96 ok");
    EXPECT_EQ(cp1252ToUtf8("\x80\xE0\x93"), "€à“");
    // Every byte survives the trip through UTF-8.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Cp1252, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(utf8ToCp1252("Ω"), "?");
    EXPECT_EQ(utf8ToCp1252("a😀b"), "a?b");  // one character, one byte
    EXPECT_EQ(utf8ToCp1252("\xC3"), "?");     // a cut sequence
    EXPECT_EQ(utf8ToCp1252("x\xFFy"), "x?y");
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");  // an overlong form is not a character
    EXPECT_EQ(characterCount("Città😀"), 6u);
    EXPECT_EQ(leftCharacters("Città", 4), "Citt");
    EXPECT_EQ(leftCharacters("Città", 5), "Città");
    EXPECT_TRUE(isValidUtf8("Città"));
    EXPECT_FALSE(isValidUtf8("Citt\xE0"));
}
