// Two imports at once into one archive, each a tessaro7-batch of its own:
// the second waits for the first and then succeeds.
#include <gtest/gtest.h>

#include "faults/Faults.h"

namespace {

using namespace tessaro7::testing;

TEST(TwoImportsAtOnce, BothSucceedOneAfterTheOther) {
    FaultArchive a;
    const auto first = a.bigImports("uno");
    const auto second = a.bigImports("due");
    for (std::size_t kind = 0; kind < first.size(); ++kind) {
        SCOPED_TRACE(first[kind][0]);
        long before = a.customers();
        BatchChild one(a.folder(), first[kind]);
        BatchChild other(a.folder(), second[kind]);
        EXPECT_EQ(one.wait(), 0) << one.messages;
        EXPECT_EQ(other.wait(), 0) << other.messages;
        EXPECT_EQ(a.customers(), before + 2 * kBigRun);
    }
    EXPECT_EQ(a.integrity(), "ok");
}

}  // namespace
