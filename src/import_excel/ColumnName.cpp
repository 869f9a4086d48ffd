#include "import_excel/ColumnName.h"

namespace tessaro7::import_excel {

std::string columnName(long long column) {
    std::string name;
    for (long long c = column + 1; c > 0; c = (c - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
    return name;
}

}  // namespace tessaro7::import_excel
