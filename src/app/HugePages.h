#pragma once
// A large buffer filled once from end to end takes one page fault per 4 KiB
// page it touches, and on a virtual machine each fault costs several
// microseconds: a 10 MB workbook and its preview grid took twelve thousand.
// Backed by huge pages the same buffer takes one fault per 2 MiB.
#include <cstddef>

namespace tessaro7::app {

// Asks the kernel to back the whole 2 MiB pages inside [data, data + bytes)
// with huge pages where it can, and maps the stretch before the first of
// them at once (a buffer is filled from its start); nothing for a buffer
// under 4 MiB, nor where the system has none. Call it before the buffer is
// first written.
void preferHugePages(const void* data, std::size_t bytes) noexcept;

}  // namespace tessaro7::app
