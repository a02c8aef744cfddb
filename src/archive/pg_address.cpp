#include "archive/pg_address.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace frostel::archive {

namespace {

constexpr std::array<std::string_view, 2> kSchemes = {"postgresql://", "postgres://"};
// Passed on to libpq as they are; the connect limit is the program's own.
constexpr std::array<std::string_view, 7> kPassedOn = {
    "sslmode",          "sslrootcert",         "sslcert", "sslkey", "sslcrl",
    "application_name", "target_session_attrs"};

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> percent_decoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? hex_digit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hex_digit(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

std::optional<int> port_number(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int port = std::stoi(std::string(text));
    return port >= 1 && port <= 65535 ? std::optional(port) : std::nullopt;
}

// libpq's quoting of a value in a connection string.
QString quoted(const std::string& value) {
    QString text = QString::fromStdString(value);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// `uri` without the password in its user part or its parameters.
std::string without_password(std::string_view uri) {
    std::string shown(uri);
    const std::size_t authority_at = shown.find("://") + 3;
    const std::size_t authority_end = shown.find_first_of("/?", authority_at);
    const std::size_t at = shown.rfind('@', authority_end);
    if (at != std::string::npos && at >= authority_at) {
        const std::size_t colon = shown.find(':', authority_at);
        if (colon < at) {
            shown.erase(colon, at - colon);
        }
    }
    const std::size_t query_at = shown.find('?');
    if (query_at == std::string::npos) {
        return shown;
    }
    QStringList kept;
    for (const QString& parameter :
         QString::fromStdString(shown.substr(query_at + 1)).split(QLatin1Char('&'))) {
        if (!parameter.startsWith(QStringLiteral("password="))) {
            kept << parameter;
        }
    }
    shown.erase(query_at);
    return kept.isEmpty() ? shown : shown + '?' + kept.join(QLatin1Char('&')).toStdString();
}

// Reads the URI's parts into `address`.
class UriReader {
  public:
    explicit UriReader(PgAddress& address) : address_(address) {}

    // Empty on success, else what is wrong.
    std::string read(std::string_view rest) {
        const std::size_t query_at = rest.find('?');
        const std::string_view query =
            query_at == std::string_view::npos ? std::string_view() : rest.substr(query_at + 1);
        rest = rest.substr(0, query_at);
        const std::size_t path_at = rest.find('/');
        if (path_at == std::string_view::npos || path_at + 1 == rest.size()) {
            return "it names no database";
        }
        if (std::string why = read_authority(rest.substr(0, path_at)); !why.empty()) {
            return why;
        }
        const auto database = percent_decoded(rest.substr(path_at + 1));
        if (!database) {
            return "its database name is not percent-encoded correctly";
        }
        address_.database = *database;
        return query.empty() ? std::string() : read_query(query);
    }

  private:
    std::string read_authority(std::string_view authority) {
        const std::size_t at = authority.rfind('@');
        if (at != std::string_view::npos) {
            const std::string_view user_info = authority.substr(0, at);
            const std::size_t colon = user_info.find(':');
            const auto user = percent_decoded(user_info.substr(0, colon));
            if (!user) {
                return "its user name is not percent-encoded correctly";
            }
            address_.user = *user;
            if (colon != std::string_view::npos) {
                const auto password = percent_decoded(user_info.substr(colon + 1));
                if (!password) {
                    return "its password is not percent-encoded correctly";
                }
                address_.password = *password;
            }
            authority = authority.substr(at + 1);
        }
        // "[::1]:5432": the colon that starts a port comes after the bracket.
        const std::size_t bracket = authority.rfind(']');
        const std::size_t colon = authority.rfind(':');
        std::string_view host = authority;
        if (colon != std::string_view::npos &&
            (bracket == std::string_view::npos || colon > bracket)) {
            address_.port = port_number(authority.substr(colon + 1));
            if (!address_.port) {
                return "its port is not a number from 1 to 65535";
            }
            host = authority.substr(0, colon);
        }
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        }
        const auto decoded = percent_decoded(host);
        if (!decoded) {
            return "its host is not percent-encoded correctly";
        }
        address_.host = *decoded;
        return {};
    }

    std::string read_query(std::string_view query) {
        for (const QString& parameter :
             QString::fromStdString(std::string(query)).split(QLatin1Char('&'))) {
            const std::string raw = parameter.toStdString();
            const std::size_t equals = raw.find('=');
            const auto value = percent_decoded(equals == std::string::npos
                                                   ? std::string_view()
                                                   : std::string_view(raw).substr(equals + 1));
            const std::string name = raw.substr(0, equals);
            if (equals == std::string::npos || !value) {
                return "its parameter " + name + " has no value";
            }
            if (std::string why = take(name, *value); !why.empty()) {
                return why;
            }
        }
        return {};
    }

    std::string take(const std::string& name, const std::string& value) {
        if (name == "host") {
            address_.host = value;
        } else if (name == "port") {
            address_.port = port_number(value);
            if (!address_.port) {
                return "its port is not a number from 1 to 65535";
            }
        } else if (name == "user") {
            address_.user = value;
        } else if (name == "password") {
            address_.password = value;
        } else if (name == "dbname") {
            address_.database = value;
        } else if (std::find(kPassedOn.begin(), kPassedOn.end(), name) != kPassedOn.end()) {
            address_.options.emplace_back(name, value);
        } else {
            return "it has a parameter this program does not know: " + name;
        }
        return {};
    }

    PgAddress& address_;
};

}  // namespace

bool looks_like_pg_uri(std::string_view text) {
    return std::any_of(kSchemes.begin(), kSchemes.end(),
                       [&](std::string_view scheme) { return text.starts_with(scheme); });
}

std::optional<PgAddress> parse_pg_uri(std::string_view uri, std::string& why) {
    const auto scheme = std::find_if(kSchemes.begin(), kSchemes.end(),
                                     [&](std::string_view s) { return uri.starts_with(s); });
    if (scheme == kSchemes.end()) {
        why = "a shared archive's address starts with postgresql://";
        return std::nullopt;
    }
    PgAddress address;
    address.shown = without_password(uri);
    UriReader reader(address);
    if (std::string problem = reader.read(uri.substr(scheme->size())); !problem.empty()) {
        why = "the shared archive's address " + address.shown + " is not usable: " + problem;
        return std::nullopt;
    }
    return address;
}

void configure_pg_connection(QSqlDatabase& db, const PgAddress& address) {
    db.setHostName(QString::fromStdString(address.host));
    db.setPort(address.port.value_or(-1));
    db.setUserName(QString::fromStdString(address.user));
    db.setPassword(QString::fromStdString(address.password.value_or(std::string())));
    db.setDatabaseName(QString::fromStdString(address.database));
    QStringList options{QStringLiteral("connect_timeout=2")};
    for (const auto& [name, value] : address.options) {
        options << QString::fromStdString(name) + QLatin1Char('=') + quoted(value);
    }
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

}  // namespace frostel::archive
