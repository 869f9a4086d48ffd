#include "db/ServerName.h"

#include "db/LibPq.h"

#include <memory>

#include "db/EngineError.h"
#include "db/FilledText.h"
#include "db/Messages.h"
#include "db/Names.h"

namespace tessaro7::db {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX escapes decoded; a bad escape is kept as written.
std::string percentDecoded(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 &&
            hexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string describe(const UriParts& p) {
    std::string server = p.host.empty() ? msg::kServerLocalHost : p.host;
    if (!p.port.empty()) server += ":" + p.port;
    return filledText(msg::kServerDescription,
                      {{"database", p.dbname.empty() ? msg::kServerDefaultDatabase : p.dbname}, {"server", server}}) +
           (p.user.empty() ? std::string() : filledText(msg::kServerUser, {{"utente", p.user}}));
}

std::string withoutLineEnd(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

struct ConninfoFree {
    void operator()(PQconninfoOption* o) const noexcept { PQconninfoFree(o); }
};

}  // namespace

bool isServerName(std::string_view name) {
    for (std::string_view scheme : {"postgresql://", "postgres://"})
        if (name.size() >= scheme.size() && sameName(name.substr(0, scheme.size()), scheme)) return true;
    return false;
}

UriParts readUriParts(std::string_view uri) {
    UriParts p;
    std::size_t scheme = uri.find("://");
    std::string_view rest = scheme == std::string_view::npos ? uri : uri.substr(scheme + 3);
    std::string_view query;
    if (std::size_t q = rest.find('?'); q != std::string_view::npos) {
        query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    if (slash != std::string_view::npos) p.dbname = percentDecoded(rest.substr(slash + 1));
    if (std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        std::string_view userInfo = authority.substr(0, at);
        std::size_t colon = userInfo.find(':');
        p.password = colon != std::string_view::npos;
        p.user = percentDecoded(userInfo.substr(0, colon));
        authority = authority.substr(at + 1);
    }
    std::size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        p.port = percentDecoded(authority.substr(colon + 1));
        authority = authority.substr(0, colon);
    }
    p.host = percentDecoded(authority);
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        std::size_t eq = pair.find('=');
        std::string key = percentDecoded(pair.substr(0, eq));
        std::string value = eq == std::string_view::npos ? std::string() : percentDecoded(pair.substr(eq + 1));
        if (key == "password") p.password = true;
        else if (key == "host" || (key == "hostaddr" && p.host.empty())) p.host = value;
        else if (key == "port") p.port = value;
        else if (key == "dbname") p.dbname = value;
        else if (key == "user") p.user = value;
    }
    return p;
}

ServerDescription describeServer(const std::string& uri) {
    ServerDescription d;
    UriParts parts = readUriParts(uri);
    // A password is refused before libpq reads the URI: libpq's text may repeat any part of it.
    if (parts.password) {
        d.problem = filledText(msg::kPasswordInUri, {{"server", describe(parts)}});
        return d;
    }
    char* error = nullptr;
    std::unique_ptr<PQconninfoOption, ConninfoFree> options;
    try {
        options.reset(PQconninfoParse(uri.c_str(), &error));
    } catch (const EngineError& e) {  // libpq cannot be loaded
        d.problem = e.what();
        return d;
    }
    if (!options) {
        std::string why = withoutLineEnd(error ? error : "");
        PQfreemem(error);
        for (std::size_t at; (at = why.find(uri)) != std::string::npos;) why.replace(at, uri.size(), "...");
        d.problem = filledText(msg::kBadServerUri, {{"server", describe(parts)}, {"motivo", why}});
        return d;
    }
    UriParts read;
    for (PQconninfoOption* o = options.get(); o->keyword; ++o) {
        std::string value = o->val ? o->val : "";
        std::string_view key = o->keyword;
        if (key == "host" || (key == "hostaddr" && read.host.empty())) read.host = value;
        else if (key == "port") read.port = value;
        else if (key == "dbname") read.dbname = value;
        else if (key == "user") read.user = value;
        else if (key == "password" && !value.empty()) read.password = true;
    }
    if (read.password) {
        d.problem = filledText(msg::kPasswordInOptions, {{"server", describe(read)}});
        return d;
    }
    d.text = describe(read);
    return d;
}

}  // namespace tessaro7::db
