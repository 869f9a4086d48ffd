#pragma once
// Where the fields a run writes lie among a table's columns: the same fields
// are written row after row, so their columns are found once and kept until
// another set of fields comes.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "db/Connection.h"
#include "db/Names.h"

namespace tessaro7::db {

class WrittenColumns {
public:
    // The column of each field of `written` among `columns` (anything with a
    // `name`), in the fields' order; false when a field is no column.
    template <typename Column>
    bool find(const std::vector<Column>& columns, const FieldValues& written) {
        if (sameFields(written)) return true;
        m_names.clear();
        m_at.clear();
        for (const auto& [name, value] : written) {
            auto column = std::find_if(columns.begin(), columns.end(),
                                       [n = std::string_view(name)](const Column& c) { return sameName(c.name, n); });
            if (column == columns.end()) {
                m_names.clear();
                m_at.clear();
                return false;
            }
            m_names.push_back(name);
            m_at.push_back(static_cast<std::size_t>(column - columns.begin()));
        }
        return true;
    }
    // The column of the i-th field written.
    std::size_t at(std::size_t i) const { return m_at[i]; }

private:
    bool sameFields(const FieldValues& written) const {
        if (m_names.size() != written.size()) return false;
        for (std::size_t i = 0; i < written.size(); ++i)
            if (m_names[i] != written[i].first) return false;
        return true;
    }

    std::vector<std::string> m_names;  // the fields last written...
    std::vector<std::size_t> m_at;     // ...and their columns
};

}  // namespace tessaro7::db
