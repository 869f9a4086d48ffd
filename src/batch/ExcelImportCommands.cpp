#include "batch/BatchCommand.h"

namespace tessaro7::batch {

std::vector<Command> excelImportCommands() { return {}; }

}  // namespace tessaro7::batch
