#pragma once

#include <QSqlDatabase>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace frostel::archive {

// A shared archive's address as libpq reads it: a connection URI
// (postgresql://[USER[:PASSWORD]@][HOST][:PORT]/DB[?host=SOCKETDIR&sslmode=...]) or its
// keyword=value settings ("host=/run/pg dbname=archive", "service=NAME").
struct PgAddress {
    // Names, addresses or folders holding the server's socket, apart by commas as libpq
    // takes them; empty: libpq's own default.
    std::string host;
    std::string user;
    std::string database;
    // Every other setting given (port, service, sslmode, ...), in libpq's order.
    std::vector<std::pair<std::string, std::string>> options;
    // The settings libpq keeps secret (password, sslpassword): passed on, never shown. Without
    // a password PGPASSWORD and ~/.pgpass apply.
    std::vector<std::pair<std::string, std::string>> secrets;
    std::string shown;  // the address as a URI that may be printed: without its secrets
};

// Whether `text` is meant as a server's address rather than a file's path: a postgresql://
// or postgres:// URI, or settings that start with one of libpq's keywords.
[[nodiscard]] bool looks_like_pg_uri(std::string_view text);

// The address in `text`, or nothing with `why` said (never quoting a password).
[[nodiscard]] std::optional<PgAddress> parse_pg_uri(std::string_view text, std::string& why);

// The connection settings of Qt's PostgreSQL driver for `address`, with a 2 s connect limit.
void configure_pg_connection(QSqlDatabase& db, const PgAddress& address);

}  // namespace frostel::archive
