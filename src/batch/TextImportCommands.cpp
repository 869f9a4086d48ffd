#include "batch/BatchCommand.h"

namespace tessaro7::batch {

std::vector<Command> textImportCommands() { return {}; }

}  // namespace tessaro7::batch
