// The rules the program and the shared archive's server both apply, one table of cases per
// rule: each case through the C++ rule and through the server's SQL function on the test
// server, both against the value the case expects, so that a rule changed on one side fails
// until the other follows. Then the tables both stores keep, column for column.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <ranges>
#include <string>
#include <vector>

#include "archive/account_rules.h"
#include "archive/archive_schema.h"
#include "archive/audit_chain.h"
#include "archive/audit_trail.h"
#include "archive/record_digest.h"
#include "archive/record_limits.h"
#include "link/port_device.h"
#include "tests/support/pg_rig.h"

namespace frostel::archive {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

std::string sha256_hex(const std::string& text) {
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// A rule's "why not" as both sides give it: empty for none.
std::string problem(const std::optional<std::string>& why) {
    return why.value_or(std::string());
}

class Rulebook : public test::PgServer {
  protected:
    // The first column `statement` answers as the schema's owner, or "!" and the SQLSTATE.
    std::string sql(const char* statement, const QVariantList& values) {
        return owner_->answer(QString::fromLatin1(statement), values);
    }
};

TEST_F(Rulebook, TheChainsRowHash) {
    const std::string previous = sha256_hex("the row before");
    struct Case {
        AuditRow row;
        std::string text;  // the row's text as the chain hashes it
    };
    const Case cases[] = {
        {{1, 1767261600250, "ann", "pc-1", "sign-in", "user:ann", "", "", ""},
         "1\n1767261600250\nann\npc-1\nsign-in\nuser:ann\n\n\n"},
        {{2, 0, "ann", "pc-1", "file-written", "file:C:\\data\\a.csv", "", "CSV", ""},
         "2\n0\nann\npc-1\nfile-written\nfile:C:\\\\data\\\\a.csv\n\nCSV\n"},
        // A line feed and a tab are escaped; a carriage return is kept as it is.
        {{3, 5, "ann", "pc-1", "limits-set", "record:1", "a\nb", "c\td", "door\r\nopen"},
         "3\n5\nann\npc-1\nlimits-set\nrecord:1\na\\nb\nc\\td\ndoor\r\\nopen"},
        // A backslash followed by n is not a line feed.
        {{4, 5, "ann", "pc-1", "x", "\\n", "\\\n", "\\t", ""},
         "4\n5\nann\npc-1\nx\n\\\\n\n\\\\\\n\n\\\\t\n"},
        {{1099511627776, -1, "jörg", "Zürich-PC", "signed", "record:7", "", "名前 ✓ 🌡",
          "ok"},
         "1099511627776\n-1\njörg\nZürich-PC\nsigned\nrecord:7\n\n名前 ✓ 🌡\nok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string expected = sha256_hex(previous + '\n' + c.text);
        EXPECT_EQ(row_text(c.row), c.text);
        EXPECT_EQ(row_hash(previous, c.row), expected);
        const AuditRow& r = c.row;
        EXPECT_EQ(sql("SELECT chain_hash(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                      {text(previous), static_cast<qlonglong>(r.sequence),
                       static_cast<qlonglong>(r.utc_ms), text(r.user_id), text(r.workstation),
                       text(r.action), text(r.object), text(r.old_value), text(r.new_value),
                       text(r.reason)}),
                  expected);
    }
}

TEST_F(Rulebook, TheRecordDigestAndTheClockLine) {
    struct Digest {
        DigestedFields fields;
        std::string text;  // what the digest hashes
    };
    const std::string fingerprint = sha256_hex("pages");
    const Digest digests[] = {
        {{fingerprint, "5A0000000ABCDE41", 1767261600250, "Europe/Berlin", 3600},
         fingerprint + "\n5A0000000ABCDE41\n1767261600250\nEurope/Berlin\n3600"},
        {{fingerprint, "0000000000000041", -5, "America/Argentina/Buenos_Aires", -10800},
         fingerprint + "\n0000000000000041\n-5\nAmerica/Argentina/Buenos_Aires\n-10800"},
        {{fingerprint, "5A0000000ABCDE41", 0, "", 0}, fingerprint + "\n5A0000000ABCDE41\n0\n\n0"},
    };
    for (const Digest& d : digests) {
        SCOPED_TRACE(d.text);
        const std::string expected = sha256_hex(d.text);
        EXPECT_EQ(record_digest(d.fields), expected);
        EXPECT_EQ(sql("SELECT record_digest_of(?, ?, ?, ?, ?)",
                      {text(d.fields.fingerprint), text(d.fields.logger_id),
                       static_cast<qlonglong>(d.fields.downloaded_utc_ms), text(d.fields.time_zone),
                       d.fields.utc_offset_seconds}),
                  expected);
    }

    using mission::ClockSource;
    struct Line {
        std::optional<mission::LoggerClock> clock;
        std::string line;
    };
    const Line lines[] = {
        {mission::LoggerClock{3600, ClockSource::kProgrammed, -7, 7200, "Europe/Berlin"},
         "programmed 3600 -7 7200 Europe/Berlin"},
        {mission::LoggerClock{-18000, ClockSource::kMeasured, 412, -18000, ""},
         "measured -18000 412 -18000 "},
        {std::nullopt, ""},
    };
    for (const Line& l : lines) {
        SCOPED_TRACE(l.line);
        EXPECT_EQ(clock_line(l.clock), l.line);
        const QVariant source = l.clock ? QVariant(text(std::string(mission::source_name(l.clock))))
                                        : QVariant(QMetaType(QMetaType::QString));
        const mission::LoggerClock clock = l.clock.value_or(mission::LoggerClock{});
        EXPECT_EQ(sql("SELECT clock_line(?, ?, ?, ?, ?)",
                      {source, clock.utc_offset_s, static_cast<qlonglong>(clock.drift_s),
                       clock.measured_offset_s, text(clock.zone)}),
                  l.line);
    }
}

TEST_F(Rulebook, ThePasswordPolicy) {
    constexpr const char* kTooShort = "the password must have at least 10 characters";
    constexpr const char* kBlanks = "the password must not be only blanks";
    constexpr const char* kOneTime = "the password must not be the one-time password it replaces";
    constexpr const char* kRecent = "the password must not be one of the last 3";
    struct Case {
        std::string password;
        std::string current;              // the person's password now
        bool must_change;                 // ... a one-time one
        std::vector<std::string> chosen;  // the person's chosen passwords, oldest first
        int minimum;
        std::string why;
    };
    const std::vector<Case> cases = {
        // Characters, not bytes: nine letters with two umlauts are too short.
        {"Grüße-äbc", "one-time-pass-1", true, {}, 10, kTooShort},
        {"Grüße-äbcd", "one-time-pass-1", true, {}, 10, ""},
        {"eleven-char",
         "one-time-pass-1",
         true,
         {},
         12,
         "the password must have at least 12 characters"},
        {"          ", "one-time-pass-1", true, {}, 10, kBlanks},
        {" \t\n\r\v\f \t\n\r", "one-time-pass-1", true, {}, 10, kBlanks},
        {"   ", "one-time-pass-1", true, {}, 8, "the password must have at least 8 characters"},
        {"    x     ", "one-time-pass-1", true, {}, 10, ""},
        // Only the six ASCII blanks count: no-break spaces are characters like any other.
        {"\u00a0\u00a0\u00a0\u00a0\u00a0\u00a0\u00a0\u00a0\u00a0\u00a0",
         "one-time-pass-1",
         true,
         {},
         10,
         ""},
        {"one-time-pass-1", "one-time-pass-1", true, {}, 10, kOneTime},
        // The one-time password outweighs the history, the blanks outweigh both.
        {"reused-password", "reused-password", true, {"reused-password"}, 10, kOneTime},
        {"          ", "          ", true, {"          "}, 10, kBlanks},
        // A chosen password is no one-time one: it is refused as one of the last three.
        {"chosen-password", "chosen-password", false, {"chosen-password"}, 10, kRecent},
        {"second-password",
         "fourth-password",
         false,
         {"first-password", "second-password", "third-password", "fourth-password"},
         10,
         kRecent},
        {"first-password",
         "fourth-password",
         false,
         {"first-password", "second-password", "third-password", "fourth-password"},
         10,
         ""},
    };
    std::map<std::string, std::string> hashes;
    const auto hashed = [&](const std::string& password) -> const std::string& {
        auto [at, added] = hashes.try_emplace(password);
        if (added) {
            at->second = hash_password(password);
        }
        return at->second;
    };
    int person = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password + " replacing " + c.current);
        const std::string id = "p" + std::to_string(++person);
        std::vector<std::string> recent;
        for (const std::string& password : c.chosen | std::views::reverse) {
            recent.push_back(hashed(password));
        }
        SiteSettings settings;
        settings.minimum_password_length = c.minimum;
        EXPECT_EQ(problem(password_problem(c.password, settings, recent,
                                           c.must_change ? hashed(c.current) : "")),
                  c.why);

        ASSERT_EQ(sql("INSERT INTO site_settings VALUES ('minimum-password-length', ?)"
                      " ON CONFLICT (name) DO UPDATE SET value = EXCLUDED.value",
                      {c.minimum}),
                  "");
        ASSERT_EQ(sql("INSERT INTO people (id, full_name, role, password_hash, must_change,"
                      " created_utc_ms) VALUES (?, 'P', 'operator', crypt(?, gen_salt('bf', 4)),"
                      " ?, 0)",
                      {text(id), text(c.current), c.must_change ? 1 : 0}),
                  "");
        for (const std::string& chosen : c.chosen) {
            ASSERT_EQ(sql("INSERT INTO password_history (person, password_hash, set_utc_ms)"
                          " VALUES (?, crypt(?, gen_salt('bf', 4)), 0)",
                          {text(id), text(chosen)}),
                      "");
        }
        EXPECT_EQ(sql("SELECT coalesce(password_problem(?, ?), '')", {text(id), text(c.password)}),
                  c.why);
    }
}

TEST_F(Rulebook, PersonIdsAndFullNames) {
    const std::string longest(64, 'a');
    const std::string bad_id = "a user id is 1 to 64 letters, digits, '.', '_' or '-': ";
    constexpr const char* kNoName = "a person needs a full name";
    constexpr const char* kControl =
        "a full name may not hold a line break, a tab or another control character";
    struct Person {
        std::string id;
        std::string full_name;
        std::string why;
    };
    const Person people[] = {
        {"anna.berg-2", "Anna Berg", ""},
        {"ANNA_1", "Änne Bérg 名前", ""},
        {longest, "Anna", ""},
        {longest + "a", "Anna", bad_id + longest + "a"},
        {"", "Anna", bad_id},
        {"os:anna", "Anna", bad_id + "os:anna"},
        {"anna berg", "Anna", bad_id + "anna berg"},
        {"änna", "Anna", bad_id + "änna"},
        {"anna\n", "Anna", bad_id + "anna\n"},
        {"os:anna", "Anna\nBerg", bad_id + "os:anna"},
        {"anna", "", kNoName},
        {"anna", "Anna\nBerg", kControl},
        {"anna", "Anna\tBerg", kControl},
        {"anna", "Anna Berg\r", kControl},
        {"anna", "\x01nna", kControl},
        {"anna", "Anna\x1f", kControl},
        {"anna", "Anna\x7f", kControl},
        // Blanks and controls beyond ASCII are left to the folding of names.
        {"anna", "Anna\u0085Berg\u00a0\u2028", ""},
    };
    for (const Person& p : people) {
        SCOPED_TRACE(p.id + " / " + p.full_name);
        EXPECT_EQ(problem(person_problem(p.id, p.full_name)), p.why);
        EXPECT_EQ(sql("SELECT coalesce(person_problem(?, ?), '')", {text(p.id), text(p.full_name)}),
                  p.why);
    }

    struct Stored {
        std::string id;
        std::string as_stored;
    };
    const Stored ids[] = {
        {"anna.berg-2", "anna.berg-2"},
        {longest, longest},
        {longest + "a", "invalid id (65 characters)"},
        {"", "invalid id (0 characters)"},
        {R"(=HYPERLINK("http://x.example","click"))", "invalid id (38 characters)"},
        {"änna", "invalid id (4 characters)"},
        {"anna\n", "invalid id (5 characters)"},
        {std::string(100000, 'a'), "invalid id (100000 characters)"},
    };
    for (const Stored& s : ids) {
        SCOPED_TRACE(s.id.substr(0, 80));
        EXPECT_EQ(id_as_stored(s.id), s.as_stored);
        EXPECT_EQ(sql("SELECT id_as_stored(?)", {text(s.id)}), s.as_stored);
    }
}

TEST_F(Rulebook, NameFolding) {
    struct Case {
        std::string name;
        std::string folded;
    };
    const Case cases[] = {
        {" Rex  VOGEL ", "rex vogel"},
        {"\tRex\n\r\v\fVogel\r\n", "rex vogel"},
        // Every Unicode space is a blank, the no-break ones too; a zero-width space is none.
        {"Rex\u00a0Vogel", "rex vogel"},
        {"Rex\u2007\u202f\u3000Vogel\u0085", "rex vogel"},
        {"Rex\u200bVogel", "rex\u200bvogel"},
        {"ÄNNE ÖBERG", "änne öberg"},
        // Case folding, not lowering: the final sigma, the long s and the micro sign fold.
        {"ΣΊΣΥΦΟΣ", "σίσυφοσ"},
        {"σίσυφος", "σίσυφοσ"},
        {"ſusi µ", "susi μ"},
        {"Straße ẞ", "straße ß"},
        {"İ Ǆ ǅ", "İ ǆ ǆ"},
        {"\u13f8\uab70", "\u13f0\u13a0"},
        {"𐐀", "𐐨"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(folded_name(c.name), c.folded);
        EXPECT_EQ(sql("SELECT folded_name(?)", {text(c.name)}), c.folded);
    }
}

TEST_F(Rulebook, LimitsValues) {
    constexpr const char* kForm = "the limits are not written as low=... high=... dH=...";
    constexpr const char* kLow = "the low limit is not a number";
    constexpr const char* kHigh = "the high limit is not a number";
    constexpr const char* kDeltaH = "dH is not a number";
    constexpr const char* kRange = "dH must be between 10 and 500 kJ/mol";
    constexpr const char* kAbove = "the low limit is above the high one";
    struct Case {
        std::string value;
        std::string why;
    };
    const Case cases[] = {
        {"low=2 high=8 dH=83.144", ""},
        {"low=none high=none dH=83.144", ""},
        {"low=-5 high=none dH=10", ""},
        {"low=none high=8 dH=500", ""},
        {"low=8 high=8 dH=1e1", ""},
        {"low=.5 high=1. dH=5E+1", ""},
        {"low=0e99999 high=4e-320 dH=83.144", ""},
        {"low=2 high=8 dH=9.999999", kRange},
        {"low=2 high=8 dH=500.0000001", kRange},
        {"low=2 high=8 dH=-83.144", kRange},
        {"low=8 high=2 dH=83.144", kAbove},
        {"low=2.0000001 high=2 dH=83.144", kAbove},
        {"low=8 high=2 dH=5", kRange},
        {"low=abc high=8 dH=83.144", kLow},
        {"low=+2 high=8 dH=83.144", kLow},
        {"low=\t2 high=8 dH=83.144", kLow},
        {"low=1e400 high=none dH=83.144", kLow},
        {"low=1e-400 high=none dH=83.144", kLow},
        {"low=nan high=none dH=83.144", kLow},
        {"low=0x10 high=none dH=83.144", kLow},
        {"low=２ high=none dH=83.144", kLow},
        {"low=2 high=8e dH=83.144", kHigh},
        {"low=2 high=inf dH=83.144", kHigh},
        {"low=2 high=8 dH=none", kDeltaH},
        {"low=2 high=8 dH=83.144\n", kDeltaH},
        {"low=2 high=8 dH=83.144 ", kForm},
        {"low=2  high=8 dH=83.144", kForm},
        {"low= high=8 dH=83.144", kForm},
        {"high=8 low=2 dH=83.144", kForm},
        {"low=2 high=8", kForm},
        {"LOW=2 high=8 dH=83.144", kForm},
        {"", kForm},
    };
    int record = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(problem(limits_value_problem(c.value)), c.why);
        EXPECT_EQ(parse_limits_value(c.value).has_value(), c.why.empty());
        EXPECT_EQ(sql("SELECT coalesce(limits_value_problem(?), '')", {text(c.value)}), c.why);
        // The server signs against the limits in force as it reads them from the same text.
        const QString object = QStringLiteral("record:%1").arg(++record);
        ASSERT_EQ(sql("SELECT chain_event('ann', 'Ann', 'pc-1', 'limits-set', ?, '', ?, '')",
                      {object, text(c.value)}),
                  std::to_string(record));
        EXPECT_EQ(sql("SELECT limits_in_force(?) IS NOT NULL", {record}),
                  c.why.empty() ? "true" : "!22023");
    }
}

// What the tables of an archive keep: "column type" each, by table, types as SQLite's
// affinities.
using Columns = std::map<std::string, std::vector<std::string>>;

Columns local_columns(QSqlDatabase& db) {
    Columns columns;
    QSqlQuery tables(db);
    EXPECT_TRUE(tables.exec(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'")));
    while (tables.next()) {
        const QString table = tables.value(0).toString();
        QSqlQuery info(db);
        EXPECT_TRUE(info.exec(QStringLiteral("SELECT name, type FROM pragma_table_info('%1')"
                                             " ORDER BY name")
                                  .arg(table)));
        while (info.next()) {
            columns[table.toStdString()].push_back(info.value(0).toString().toStdString() + ' ' +
                                                   info.value(1).toString().toStdString());
        }
    }
    return columns;
}

Columns server_columns(QSqlDatabase& db) {
    Columns columns;
    QSqlQuery info(db);
    EXPECT_TRUE(info.exec(QStringLiteral(
        "SELECT table_name, column_name, CASE data_type WHEN 'bigint' THEN 'INTEGER'"
        " WHEN 'integer' THEN 'INTEGER' WHEN 'text' THEN 'TEXT' WHEN 'double precision'"
        " THEN 'REAL' WHEN 'bytea' THEN 'BLOB' ELSE data_type END"
        " FROM information_schema.columns WHERE table_schema = 'public'"
        " ORDER BY table_name, column_name")));
    while (info.next()) {
        columns[info.value(0).toString().toStdString()].push_back(
            info.value(1).toString().toStdString() + ' ' + info.value(2).toString().toStdString());
    }
    return columns;
}

// One SELECT reads either store: every table both keep has the same columns of the same kinds.
// The program sends a device only as one printable line (link::printable_line), which the
// server takes; anything else the server refuses, whoever sends it.
TEST_F(Rulebook, TheReaderDeviceADownloadNames) {
    const std::string longest(link::kDeviceTextLongest, 'd');
    struct Case {
        std::string device;
        bool taken;
    };
    const Case cases[] = {
        {"", true},
        {"pseudo-terminal (/dev/pts/3)", true},
        {"USB 0403:6001 serial FT1ABCDE (/dev/ttyUSB0)", true},
        {" ~!", true},
        {longest, true},
        {longest + "d", false},
        {std::string(10000, 'd'), false},
        {"pseudo-terminal\n(/dev/pts/3)", false},
        {"pseudo-terminal\n(/dev/pts/3)\nsigned: approved", false},
        {"a\rb", false},
        {"a\tb", false},
        {"a\x7f", false},
        {"r\xc3\xa4um", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device.substr(0, 80));
        EXPECT_EQ(link::printable_line(c.device, link::kDeviceTextLongest) == c.device, c.taken);
        EXPECT_EQ(sql("SELECT read_through(?)", {text(c.device)}),
                  c.taken ? read_through(c.device) : "!22023");
    }
    const std::string offline =
        "kept offline by os:ann on pc-1 at 2026-02-01T10:00:00.000+01:00,"
        " received 2026-02-01T11:00:00.000+01:00";
    const std::pair<std::string, std::string> reasons[] = {
        {"", ""},
        {"read through pseudo-terminal (/dev/pts/3)", "pseudo-terminal (/dev/pts/3)"},
        {offline, ""},
        {offline + ": read through USB 0403:6001 serial X (COM3)", "USB 0403:6001 serial X (COM3)"},
        {"reading through nothing", ""},
    };
    for (const auto& [reason, device] : reasons) {
        SCOPED_TRACE(reason);
        EXPECT_EQ(device_read_through(reason), device);
        EXPECT_EQ(sql("SELECT device_read_through(?)", {text(reason)}), device);
    }
}

TEST_F(Rulebook, BothStoresKeepTheSameColumns) {
    QTemporaryDir folder;
    Columns local;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "local");
        db.setDatabaseName(folder.filePath(QStringLiteral("archive.sqlite")));
        ASSERT_TRUE(db.open());
        ASSERT_EQ(migrate_forward(db), QString());
        local = local_columns(db);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("local"));
    const Columns server = server_columns(owner_->db());
    int shared = 0;
    for (const auto& [table, columns] : local) {
        if (const auto kept = server.find(table); kept != server.end()) {
            EXPECT_EQ(columns, kept->second) << table;
            ++shared;
        }
    }
    EXPECT_EQ(shared, 6) << "missions, programming_runs, audit_events, people, password_history"
                            " and site_settings";
}

}  // namespace
}  // namespace frostel::archive
