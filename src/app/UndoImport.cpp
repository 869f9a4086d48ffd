#include "app/UndoImport.h"

#include <unordered_map>

#include "app/Messages.h"
#include "app/RunRegistration.h"
#include "db/DataSource.h"
#include "db/FilledText.h"
#include "db/PathResolver.h"

namespace tessaro7::app {

namespace {

std::string runWords(const RegisterRun& run) {
    return db::filledText(msg::kRunWords, {{"tabella", tableCaption(run.table)},
                                           {"file", db::quotePath(run.file)},
                                           {"quando", registerDateTime(run.when)},
                                           {"n", std::to_string(run.added)}});
}

// Finds the run's records in the table: those unchanged go to `found`.
void compareWithTable(db::DataSource& target, const std::vector<AddedRecord>& records, std::vector<db::Value>& found,
                      UndoOutcome& outcome) {
    std::unordered_map<std::string, const AddedRecord*> byIdentity;
    for (const AddedRecord& r : records) byIdentity.emplace(r.identity, &r);
    target.refresh();
    for (; !target.eof(); target.moveNext()) {
        const db::Value& id = target.rowIdentity();
        auto it = byIdentity.find(id.toText());
        if (it == byIdentity.end()) continue;
        if (rowFingerprint(target.rowValues()) == it->second->fingerprint)
            found.push_back(id);
        else
            ++outcome.changed;
        byIdentity.erase(it);
    }
    outcome.missing = static_cast<long>(byIdentity.size());
}

std::string refusal(const UndoOutcome& o) {
    if (o.missing == 0) return std::to_string(o.changed) + msg::kUndoChanged + ".";
    return std::to_string(o.changed + o.missing) + msg::kUndoChangedOrDeleted + ".";
}

}  // namespace

std::optional<RegisterRun> runToUndo(const std::string& mappingDatabasePath, const std::string& table) {
    return ImportRegister(mappingDatabasePath).lastNotUndone(table);
}

std::string undoQuestion(const RegisterRun& run) { return msg::kUndoQuestion + runWords(run) + "?"; }

UndoOutcome undoLastImport(const std::string& businessDatabase, const std::string& mappingDatabasePath,
                           const std::string& table) {
    UndoOutcome outcome;
    ImportRegister book(mappingDatabasePath);
    std::optional<RegisterRun> run = book.lastNotUndone(table);
    if (!run) {
        outcome.message = msg::kNoImportToUndo + tableCaption(table) + ".";
        return outcome;
    }
    if (!run->undoable) {
        outcome.message = msg::kUndoImportInTable + runWords(*run) + msg::kUndoNotPossible;
        return outcome;
    }
    const std::vector<AddedRecord> records = book.recordsOf(run->number);
    db::DataSource target;
    target.setDatabaseName(businessDatabase);
    target.setRecordSource(table);
    target.refresh();
    target.runInOneTransaction([&] {
        std::vector<db::Value> found;
        compareWithTable(target, records, found, outcome);
        if (outcome.changed == 0 && outcome.missing == 0) outcome.deleted = target.deleteRows(found);
    });
    if (outcome.changed > 0 || outcome.missing > 0) {
        outcome.message = refusal(outcome);
        return outcome;
    }
    outcome.done = true;
    outcome.message = msg::kUndoDone + tableCaption(table) + ": " + std::to_string(outcome.deleted) + ".";
    try {
        book.recordUndo(run->number, nowText(), workstationName() + " / " + userName());
    } catch (const db::EngineError& e) {
        outcome.message += "\n" + std::string(msg::kUndoNotRegistered) + e.what();
    }
    return outcome;
}

}  // namespace tessaro7::app
