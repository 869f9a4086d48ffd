// The fingerprints kept in the import register must stay the same from one
// version to the next, or an older run could no longer be undone: known
// answers, worked out with Python's hashlib over each value's kind, length
// and text.
#include <gtest/gtest.h>

#include "app/RunRegistration.h"

using tessaro7::app::rowFingerprint;
using tessaro7::db::Null;
using tessaro7::db::Value;

TEST(RowFingerprintTest, KnownAnswersOfTheStoredForm) {
    struct Case {
        std::vector<Value> row;
        const char* fingerprint;
    };
    const Case cases[] = {
        {{Value("Rossi S.p.A."), Null{}, Value(12.5), Value(std::int64_t{7}), Value::yesNo(true), Value("Città")},
         "55791eb4ac076916d76d1d1a4fd0f3b6"},
        {{}, "e3b0c44298fc1c149afbf4c8996fb924"},
        // An empty text and a Null differ by their kind alone.
        {{Value(""), Null{}}, "6123fc526dedf15ff7cff3b0ac68c955"},
    };
    for (const Case& c : cases) EXPECT_EQ(rowFingerprint(c.row), c.fingerprint) << c.row.size();
}

TEST(RowFingerprintTest, EachValueKeepsItsBoundary) {
    // "ab" + "c" and "a" + "bc" hold the same characters in the same order.
    EXPECT_NE(rowFingerprint({Value("ab"), Value("c")}), rowFingerprint({Value("a"), Value("bc")}));
    EXPECT_NE(rowFingerprint({Value("7")}), rowFingerprint({Value(std::int64_t{7})}));
}
