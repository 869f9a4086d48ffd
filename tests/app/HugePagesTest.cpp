// A large buffer is marked for huge pages, its whole 2 MiB pages only; a
// small one is left alone. Read back from the kernel's own account of the
// process's mappings.
#include "app/HugePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/mman.h>

namespace {

// The VmFlags of the mapping holding `address`, from /proc/self/smaps; empty
// when none is found.
std::string flagsOfMappingAt(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> from >> dash >> to && dash == '-') {
            inside = from <= at && at < to;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line.substr(8) + " ";
        }
    }
    return "";
}

constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;

// A fresh anonymous mapping, so no earlier advice lies on it.
struct Mapping {
    explicit Mapping(std::size_t bytes)
        : size(bytes), data(static_cast<char*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {}
    ~Mapping() {
        if (data != MAP_FAILED) munmap(data, size);
    }
    std::size_t size;
    char* data;
};

bool markedHuge(std::uintptr_t address) {
    return flagsOfMappingAt(reinterpret_cast<const void*>(address)).find(" hg ") != std::string::npos;
}

TEST(HugePagesTest, ALargeBufferIsMarkedOnItsWholeHugePagesOnly) {
    if (!std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    Mapping buffer(std::size_t(9) << 20);
    ASSERT_NE(buffer.data, MAP_FAILED);
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data);
    tessaro7::app::preferHugePages(buffer.data + 1, buffer.size - 1);
    const std::uintptr_t firstWhole = (start + 1 + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (start + buffer.size) & ~(kHuge - 1);
    EXPECT_TRUE(markedHuge(firstWhole));
    EXPECT_TRUE(markedHuge(end - 1));
    EXPECT_FALSE(markedHuge(start));  // before the first whole huge page
    if (end < start + buffer.size) {
        EXPECT_FALSE(markedHuge(end));  // after the last
    }
}

TEST(HugePagesTest, TheSmallPagesBeforeTheFirstHugePageAreMappedAtOnce) {
    Mapping buffer(std::size_t(9) << 20);
    ASSERT_NE(buffer.data, MAP_FAILED);
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data) + 5000;
    const std::uintptr_t firstWhole = (start + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t page = start & ~std::uintptr_t(4095);
    std::vector<unsigned char> resident((firstWhole - page) / 4096 + 1);
    tessaro7::app::preferHugePages(reinterpret_cast<void*>(start), buffer.size - 5000);
    ASSERT_EQ(mincore(reinterpret_cast<void*>(page), firstWhole - page + 4096, resident.data()), 0);
    for (std::size_t i = 0; i + 1 < resident.size(); ++i) EXPECT_TRUE(resident[i] & 1) << "page " << i;
    EXPECT_FALSE(resident.back() & 1);  // the first huge page is left to its first write
}

TEST(HugePagesTest, ASmallBufferIsLeftAlone) {
    Mapping buffer(std::size_t(4) << 20);
    ASSERT_NE(buffer.data, MAP_FAILED);
    tessaro7::app::preferHugePages(buffer.data + 1, buffer.size - 2);
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data);
    ASSERT_FALSE(flagsOfMappingAt(buffer.data).empty());
    for (std::uintptr_t at : {start, start + kHuge, start + buffer.size - 1}) EXPECT_FALSE(markedHuge(at)) << at - start;
}

}  // namespace
