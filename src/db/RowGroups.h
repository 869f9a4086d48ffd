#pragma once
// How the rows of an import are grouped into one insert statement each on the
// server: as many rows as the protocol's limit on a statement's parameters
// allows, up to a size past which larger groups no longer save time.
#include <cstddef>
#include <string>

namespace tessaro7::db {

// The protocol numbers a statement's parameters in 16 bits.
inline constexpr std::size_t kMaxStatementParameters = 65535;
// Past this many rows a group saves no more server time, and the rows sent
// again one by one when a group fails stay few.
inline constexpr std::size_t kMaxGroupRows = 1000;

// The rows of one group when each row binds `columns` values; one row on its
// own when a row binds none (it is written with the columns' defaults).
std::size_t rowsPerGroup(std::size_t columns);

// The parameter marks of `rows` rows of `columns` values each, numbered from
// $1 row after row: "($1,$2),($3,$4)".
std::string valuesMarks(std::size_t columns, std::size_t rows);

}  // namespace tessaro7::db
