#include "app/HugePages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessaro7::app {

void preferHugePages(const void* data, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    if (bytes < 2 * kHuge) return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHuge - 1);
    // Advice only: where it is refused the pages stay as they are.
    if (first < end) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#if defined(MADV_POPULATE_WRITE)
    // One call maps the small pages before the first huge one, instead of
    // one fault each; pages already mapped keep what they hold.
    const std::uintptr_t page = start & ~std::uintptr_t(4095);
    if (page < first) madvise(reinterpret_cast<void*>(page), first - page, MADV_POPULATE_WRITE);
#endif
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace tessaro7::app
