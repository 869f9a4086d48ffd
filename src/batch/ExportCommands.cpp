#include "batch/BatchCommand.h"

namespace tessaro7::batch {

std::vector<Command> exportCommands() { return {}; }

}  // namespace tessaro7::batch
