// An import killed (SIGKILL) at varied moments of its run: the database then
// holds all of it or nothing, and is intact.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "faults/Faults.h"

namespace {

using namespace tessaro7::testing;

TEST(KilledImport, LeavesAllOrNothingAndAnIntactDatabase) {
    FaultArchive a;
    for (const auto& args : a.bigImports("c")) {
        for (int delayMs : {5, 60, 120, 180, 240, 300, 400}) {
            SCOPED_TRACE(args[0] + " killed after " + std::to_string(delayMs) + " ms");
            long before = a.customers();
            BatchChild child(a.folder(), args);
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            child.kill();
            child.wait();
            long after = a.customers();  // an independent reader: it also rolls back what the kill left half done
            EXPECT_TRUE(after == before || after == before + kBigRun) << after - before;
            EXPECT_EQ(a.integrity(), "ok");
        }
    }
}

}  // namespace
