#include "db/ServerName.h"

#include <libpq-fe.h>

#include "db/Names.h"

namespace tessaro7::db {

bool isServerName(std::string_view name) {
    for (std::string_view scheme : {"postgresql://", "postgres://"})
        if (name.size() >= scheme.size() && sameName(name.substr(0, scheme.size()), scheme)) return true;
    return false;
}

ServerDescription describeServer(const std::string& uri) {
    ServerDescription d;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), &error);
    if (!options) {
        // libpq's own text names the faulty part; it never repeats a password.
        std::string why = error ? error : "";
        PQfreemem(error);
        while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
        d.problem = "Il nome del database sul server non è valido (" + why + ").";
        return d;
    }
    std::string host, port, dbname, user;
    bool password = false;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        std::string value = o->val ? o->val : "";
        std::string_view key = o->keyword;
        if (key == "host" || (key == "hostaddr" && host.empty())) host = value;
        else if (key == "port") port = value;
        else if (key == "dbname") dbname = value;
        else if (key == "user") user = value;
        else if (key == "password" && !value.empty()) password = true;
    }
    PQconninfoFree(options);
    if (password) {
        d.problem = "La password del server non va scritta nel nome del database: va nel file ~/.pgpass "
                    "dell'utente o nella variabile d'ambiente PGPASSWORD.";
        return d;
    }
    std::string server = host.empty() ? "locale" : host;
    if (!port.empty()) server += ":" + port;
    d.text = "database '" + (dbname.empty() ? std::string("(predefinito)") : dbname) + "' sul server PostgreSQL " +
             server + (user.empty() ? std::string() : ", utente '" + user + "'");
    return d;
}

}  // namespace tessaro7::db
