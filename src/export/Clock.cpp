#include "export/Clock.h"

#include <ctime>

namespace tessaro7::exporting {

int SystemClock::currentYear() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

const Clock& systemClock() {
    static const SystemClock clock;
    return clock;
}

}  // namespace tessaro7::exporting
