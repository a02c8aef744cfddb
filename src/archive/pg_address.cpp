#include "archive/pg_address.h"

#include <libpq-fe.h>

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace frostel::archive {

namespace {

using Settings = std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)>;

// libpq's reading of `text`: its settings, or nothing with libpq's reason.
Settings read_settings(const std::string& text, std::string& reason) {
    char* message = nullptr;
    Settings settings(PQconninfoParse(text.c_str(), &message), &PQconninfoFree);
    if (message != nullptr) {
        reason = QString::fromUtf8(message).trimmed().toStdString();
        PQfreemem(message);
    }
    return settings;
}

bool has_uri_scheme(std::string_view text) {
    return text.starts_with("postgresql://") || text.starts_with("postgres://");
}

bool is_libpq_keyword(const std::string& name) {
    std::string ignored;
    return read_settings(name + "=''", ignored) != nullptr;
}

// libpq quotes parts of the address in its reasons, and a part may be the whole address,
// password and all: each is left out but a setting's name and libpq's own punctuation.
std::string reason_without_quotes(const std::string& reason, std::string_view address) {
    const QString text = QString::fromStdString(reason);
    // A quote inside the address leaves no telling where libpq's quotes end.
    if (address.find('"') != std::string_view::npos) {
        return text.left(text.indexOf(QLatin1Char('"'))).trimmed().toStdString();
    }
    static const QRegularExpression kQuoted(QStringLiteral("\"([^\"]*)\""));
    static const QRegularExpression kName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    const QString given = QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()));
    QString kept;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& quoted : kQuoted.globalMatch(text)) {
        const QString part = quoted.captured(1);
        const bool punctuation = part.size() == 1 && !part.front().isLetterOrNumber();
        const bool setting_name =
            kName.match(part).hasMatch() &&
            given.contains(QRegularExpression(QStringLiteral("\\b%1\\s*=").arg(part)));
        kept += text.mid(from, quoted.capturedStart() - from) + QLatin1Char('"') +
                (punctuation || setting_name ? part : QStringLiteral("...")) + QLatin1Char('"');
        from = quoted.capturedEnd();
    }
    return (kept + text.mid(from)).toStdString();
}

std::string encoded(const std::string& value, const char* kept = "") {
    return QUrl::toPercentEncoding(QString::fromStdString(value), kept).toStdString();
}

// One host name or address without a port of its own: it may stand in the URI's authority.
bool fits_authority(const std::string& host) {
    return !host.empty() && host.front() != '/' && host.front() != '@' &&
           host.find(',') == std::string::npos;
}

// The address as a libpq URI without its secrets: the host in the authority when it is one
// host name or address, else among the parameters with everything else.
std::string shown_uri(const PgAddress& address) {
    std::string authority = address.user.empty() ? "" : encoded(address.user) + '@';
    std::vector<std::pair<std::string, std::string>> parameters;
    if (fits_authority(address.host)) {
        authority += address.host.find(':') == std::string::npos
                         ? encoded(address.host)
                         : '[' + encoded(address.host, ":") + ']';
    } else if (!address.host.empty()) {
        parameters.emplace_back("host", address.host);
    }
    for (const auto& [name, value] : address.options) {
        if (name == "port" && fits_authority(address.host) &&
            value.find(',') == std::string::npos) {
            authority += ':' + encoded(value);
        } else {
            parameters.emplace_back(name, value);
        }
    }
    std::string uri = "postgresql://" + authority;
    if (!address.database.empty()) {
        uri += '/' + encoded(address.database);
    }
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        uri += (i == 0 ? '?' : '&') + parameters[i].first + '=' +
               encoded(parameters[i].second, "/:,@");
    }
    return uri;
}

// libpq's quoting of a value in a connection string.
QString quoted(const std::string& value) {
    QString text = QString::fromStdString(value);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The settings Qt's driver takes as connect options rather than as its own fields.
bool is_connect_option(const std::string& name) {
    return name != "host" && name != "user" && name != "dbname" && name != "password";
}

// Reads libpq's settings into an address; empty on success, else what is wrong.
std::string take_settings(const PQconninfoOption* setting, PgAddress& address) {
    for (; setting->keyword != nullptr; ++setting) {
        if (setting->val == nullptr) {
            continue;
        }
        const std::string name = setting->keyword;
        const std::string value = setting->val;
        // Qt's PostgreSQL driver turns every semicolon of its connect options into a blank.
        if (is_connect_option(name) && value.find(';') != std::string::npos) {
            return "its " + name +
                   " holds a semicolon, which Qt's PostgreSQL driver cannot pass on";
        }
        if (std::string_view(setting->dispchar).starts_with('*')) {
            address.secrets.emplace_back(name, value);
        } else if (name == "host") {
            address.host = value;
        } else if (name == "user") {
            address.user = value;
        } else if (name == "dbname") {
            address.database = value;
        } else {
            address.options.emplace_back(name, value);
        }
    }
    return {};
}

}  // namespace

bool looks_like_pg_uri(std::string_view text) {
    static const QRegularExpression kFirstSetting(QStringLiteral("^\\s*([A-Za-z_]+)\\s*="));
    const QRegularExpressionMatch first =
        kFirstSetting.match(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return has_uri_scheme(text) ||
           (first.hasMatch() && is_libpq_keyword(first.captured(1).toStdString()));
}

std::optional<PgAddress> parse_pg_uri(std::string_view text, std::string& why) {
    if (!looks_like_pg_uri(text)) {
        why =
            "a shared archive's address is a postgresql:// URI or libpq's settings, such as "
            "host=SOCKETDIR dbname=DB or service=NAME";
        return std::nullopt;
    }
    std::string reason;
    const Settings settings = read_settings(std::string(text), reason);
    if (!settings) {
        why = "the shared archive's address is not usable: " + reason_without_quotes(reason, text);
        return std::nullopt;
    }
    PgAddress address;
    if (const std::string problem = take_settings(settings.get(), address); !problem.empty()) {
        why = "the shared archive's address is not usable: " + problem;
        return std::nullopt;
    }
    address.shown = shown_uri(address);
    return address;
}

void configure_pg_connection(QSqlDatabase& db, const PgAddress& address) {
    db.setHostName(QString::fromStdString(address.host));
    db.setUserName(QString::fromStdString(address.user));
    db.setDatabaseName(QString::fromStdString(address.database));
    QStringList options;
    const auto pass_on = [&options](const std::pair<std::string, std::string>& setting) {
        options << QString::fromStdString(setting.first) + QLatin1Char('=') +
                       quoted(setting.second);
    };
    for (const auto& secret : address.secrets) {
        if (secret.first == "password") {
            db.setPassword(QString::fromStdString(secret.second));
        } else {
            pass_on(secret);
        }
    }
    for (const auto& option : address.options) {
        pass_on(option);
    }
    // Last, so that it outweighs one in the address: the connect limit is the program's own.
    options << QStringLiteral("connect_timeout=2");
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

}  // namespace frostel::archive
