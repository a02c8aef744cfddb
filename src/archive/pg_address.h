#pragma once

#include <QSqlDatabase>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace frostel::archive {

// A shared archive's address, from a libpq connection URI:
// postgresql://[USER[:PASSWORD]@][HOST][:PORT]/DB[?host=SOCKETDIR&sslmode=...]
struct PgAddress {
    std::string host;  // a name, an address, or a folder holding the server's socket
    std::optional<int> port;
    std::string user;
    std::optional<std::string> password;  // none: libpq's PGPASSWORD and ~/.pgpass apply
    std::string database;
    std::vector<std::pair<std::string, std::string>> options;  // sslmode=... as given
    std::string shown;  // the URI as it may be printed: without its password
};

// Whether `text` is meant as a server's address rather than a file's path.
[[nodiscard]] bool looks_like_pg_uri(std::string_view text);

// The address in `uri`, or nothing with `why` said (naming the URI without its password).
[[nodiscard]] std::optional<PgAddress> parse_pg_uri(std::string_view uri, std::string& why);

// The connection settings of Qt's PostgreSQL driver for `address`, with a 2 s connect limit.
void configure_pg_connection(QSqlDatabase& db, const PgAddress& address);

}  // namespace frostel::archive
