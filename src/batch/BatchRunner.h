#pragma once
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace tessaro7::batch {

// Runs tessaro7-batch with `args` (without the program name): 0 on success,
// 1 on a failure or refusal (message on err), 2 on a usage error.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const std::filesystem::path& workingDirectory);

}  // namespace tessaro7::batch
