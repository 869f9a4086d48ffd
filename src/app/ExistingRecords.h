#pragma once
// The records a table already holds, for an import that skips them: a
// customer or supplier is present when its non-empty partita IVA is in the
// table or, without one, when a record has the same name and town (compared
// without regard to case and accents); an article when its code is. A record
// the run adds counts as present for the later rows of the same run.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tessaro7::app {

enum class DuplicateRule { Party, Article };

// The text a record would store in a field.
using StoredText = std::function<std::string(std::string_view field)>;

class ExistingRecords {
public:
    ExistingRecords() = default;
    // Reads the table's records (database path or server URI); throws EngineError.
    ExistingRecords(const std::string& database, const std::string& table, DuplicateRule rule);

    // True when the record is present; otherwise notes it as present now.
    bool presentOrNote(const StoredText& value);

private:
    void note(const StoredText& value);

    DuplicateRule m_rule = DuplicateRule::Party;
    std::unordered_set<std::string> m_keys;
};

}  // namespace tessaro7::app
