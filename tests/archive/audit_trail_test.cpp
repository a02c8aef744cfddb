// The fingerprint and the audit trail: the chain's text and hash to the byte, what breaks it,
// and one event per action on a real archive file.
#include <gtest/gtest.h>

#include <QDateTime>
#include <functional>

#include "archive/audit_chain.h"
#include "archive/audit_trail.h"
#include "archive/fingerprint.h"
#include "archive/mission_archive.h"
#include "archive/record_digest.h"
#include "tests/support/archive_rig.h"

namespace frostel::archive {
namespace {

using mission::TemperatureUnit::kCelsius;
using mission::TemperatureUnit::kFahrenheit;
using test::ArchiveRig;

TEST(AuditChain, RowTextAndHashFollowTheDesignToTheByte) {
    const AuditRow first{1,      1767261600250,  "os:anna",
                         "pc-7", "file-written", "file:/tmp/a\tb.csv",
                         "",     "CSV\nabc",     "back\\slash"};
    EXPECT_EQ(row_text(first),
              "1\n1767261600250\nos:anna\npc-7\nfile-written\nfile:/tmp/a\\tb.csv\n\nCSV\\nabc\n"
              "back\\\\slash");
    // Computed apart from this code (Python's hashlib).
    const std::string head = row_hash(kChainStart, first);
    EXPECT_EQ(head, "5ec7926dc623344a91c677021a6bfd042203c9efaff741751ce22b6a8c21e845");
    const AuditRow second{2,  1767261600251, "os:bo", "pc-7", "verified", "record:7",
                          "", "INTACT",      ""};
    EXPECT_EQ(row_hash(head, second),
              "0d7ffb787195d3f8bc40923b6ae4f3d0dcc4393bd306e63776e9f0d1536d51bc");
}

TEST(Fingerprint, HashesPageNumbersLowByteFirstThenBytesAndSavedPairsInFileOrder) {
    mission::RawPage text{1, {}};
    for (int i = 0; i < link::kPageSize; ++i) {
        text.bytes[static_cast<std::size_t>(i)] = static_cast<link::Byte>(i);
    }
    mission::RawPage log{0x180, {}};
    log.bytes.fill(0xFF);
    const std::vector<mission::RawPage> pages{text, log};
    EXPECT_EQ(mission_fingerprint(pages),
              "45eb5bf6e18779d9f17b8567985ae1e26e792c544e6abe72164e89dffd927e72");
    EXPECT_EQ(mission_fingerprint({}),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");

    EXPECT_EQ(saved_pair_fingerprint("ab\r\n", "{\"x\":1}"),
              "02ce0099f3167259d557d8c74739e3161250d83778f3f624784cdf3696e590d2");
}

std::vector<ChainedRow> chain_of(int count) {
    std::vector<ChainedRow> rows;
    std::string previous = kChainStart;
    for (int n = 1; n <= count; ++n) {
        AuditRow row{n,      1767261600000 + n, "os:anna",
                     "pc-7", "verified",        "record:" + std::to_string(n),
                     "",     "INTACT",          ""};
        rows.push_back({row, previous, row_hash(previous, row)});
        previous = rows.back().hash;
    }
    return rows;
}

TEST(AuditChain, FindsTheFirstBreakAndWhy) {
    struct Case {
        const char* what;
        std::function<void(std::vector<ChainedRow>&)> change;
        std::optional<BrokenAt> broken;
    };
    // A value edited, a row removed, the last one removed and two swapped are verify's own
    // cases through the command line; here the breaks it cannot make.
    const std::vector<Case> cases{
        {"untouched", [](auto&) {}, std::nullopt},
        {"a link edited", [](auto& rows) { rows[2].previous_hash = rows[0].hash; },
         BrokenAt{3, ChainBreak::kEdited}},
        {"a row moved to the end",
         [](auto& rows) {
             // Numbers kept in place, as a table with its numbers as the key shows it.
             for (std::size_t i = 1; i + 1 < rows.size(); ++i) {
                 std::swap(rows[i], rows[i + 1]);
                 std::swap(rows[i].row.sequence, rows[i + 1].row.sequence);
             }
         },
         BrokenAt{2, ChainBreak::kReordered}},
    };
    for (const Case& c : cases) {
        std::vector<ChainedRow> rows = chain_of(5);
        const std::string head = rows.back().hash;
        c.change(rows);
        ChainCheck check;
        for (const ChainedRow& row : rows) {
            check.add(row);
        }
        EXPECT_EQ(check.finish(5), c.broken) << c.what;
        if (!c.broken) {
            EXPECT_EQ(std::pair(check.intact_rows(), check.head()), std::pair(5L, head));
        }
    }
}

// An anchor as a person copies it from a printout, and what a trail of five rows holds.
TEST(AuditChain, AnAnchorIsHeldOnlyWhereTheTrailHasItsHash) {
    const std::vector<ChainedRow> rows = chain_of(5);
    const std::string& third = rows[2].hash;
    std::string upper = third;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const struct {
        std::string text;
        std::optional<Anchor> read;
        bool held;
    } cases[] = {
        {"3:" + third, Anchor{3, third}, true},
        {"  HEAD 3:" + third + "\r\n", Anchor{3, third}, true},
        {"3:" + upper, Anchor{3, third}, true},
        {"Audit trail at printing: HEAD 3:" + third, Anchor{3, third}, true},
        {"# audit trail HEAD 3:" + third, Anchor{3, third}, true},
        {"HEAD 0:" + kChainStart, Anchor{}, true},
        {"2:" + third, Anchor{2, third}, false},
        {"6:" + rows[4].hash, Anchor{6, rows[4].hash}, false},
        {"3:" + third.substr(1), std::nullopt, false},
        {"3:" + third + "0", std::nullopt, false},
        {"-3:" + third, std::nullopt, false},
        {":" + third, std::nullopt, false},
        {"3 " + third, std::nullopt, false},
        {"99999999999999999999:" + third, std::nullopt, false},
        {"3:" + third.substr(1) + "g", std::nullopt, false},
    };
    for (const auto& [text, read, held] : cases) {
        const std::optional<Anchor> anchor = parse_anchor(text);
        EXPECT_EQ(anchor, read) << text;
        if (anchor) {
            ChainCheck check;
            check.hold({*anchor});
            for (const ChainedRow& row : rows) {
                check.add(row);
            }
            EXPECT_EQ(check.finish(5), std::nullopt);
            EXPECT_EQ(check.not_held().empty(), held) << text;
            EXPECT_EQ(parse_anchor(anchor_text(*anchor)), anchor) << text;
        }
    }
}

// A row past a break holds no anchor, though its own hash still holds.
TEST(AuditChain, NoAnchorIsHeldPastABreak) {
    std::vector<ChainedRow> rows = chain_of(5);
    rows[1].row.object = "record:99";
    ChainCheck check;
    check.hold({{4, rows[3].hash}, {1, rows[0].hash}});
    for (const ChainedRow& row : rows) {
        check.add(row);
    }
    EXPECT_EQ(check.finish(5), (BrokenAt{2, ChainBreak::kEdited}));
    EXPECT_EQ(check.not_held(), (std::vector<Anchor>{{4, rows[3].hash}}));
}

// Rows held against the account lines of their events: an earlier version's events carry
// none and take the rows as they are; an event after the rows were read changes nothing.
TEST(AccountCheck, HoldsEachRowToItsLastAccountLine) {
    const AccountAsKept olga{"olga", Role::kOperator, AccountState::kActive, std::string(64, 'a')};
    AccountAsKept promoted = olga;
    promoted.role = Role::kApprover;
    const auto event = [](std::int64_t sequence, const char* action, std::string new_value) {
        return AuditRow{sequence, 0, "root", "pc", action, "user:olga", "", std::move(new_value),
                        ""};
    };
    const std::string created = account_created_value("Olga Ost", Role::kOperator);
    const struct {
        const char* name;
        std::vector<AuditRow> events;
        std::int64_t as_of;
        std::vector<AccountMismatch> mismatches;
    } cases[] = {
        {"as entered", {event(1, "account-created", with_account_line(created, olga))}, 1, {}},
        {"entered by an earlier version", {event(1, "account-created", created)}, 1, {}},
        {"changed since",
         {event(1, "account-created", with_account_line(created, promoted))},
         1,
         {{"olga", "role"}}},
        {"changed after the rows were read",
         {event(1, "account-created", with_account_line(created, olga)),
          event(2, "role-changed", with_account_line("approver", promoted))},
         1,
         {}},
        {"made by no event", {event(1, "sign-in", "")}, 1, {{"olga", "made by no event"}}},
    };
    for (const auto& c : cases) {
        AccountCheck check({{olga}, c.as_of});
        for (const AuditRow& row : c.events) {
            check.add(row);
        }
        EXPECT_EQ(check.finish(), c.mismatches) << c.name;
    }
    AccountCheck gone({{}, 1});
    gone.add(event(1, "account-created", created));
    EXPECT_EQ(gone.finish(), (std::vector<AccountMismatch>{{"olga", "removed"}}));
}

TEST(AuditTrail, EachActionAddsExactlyOneRowOfItsActor) {
    ArchiveRig rig;
    const Actor actor{"os:tester", "Tess Tester", "bench-pc"};
    MissionArchive archive(rig.path(), MissionArchive::Access::kReadWrite, actor);
    ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
    const mission::DownloadedMission download =
        rig.download(ArchiveRig::mission("Cold room", {2026, 1, 15, 10, 30, 0}, 20));
    const std::string fingerprint = mission_fingerprint(download.pages);
    // Written alike by the program and by the server's functions.
    const std::string clock = clock_line(download.record.clock);
    const std::string digest = record_digest(
        {fingerprint, download.header.logger_id,
         (platform::to_civil_seconds(rig.stamp.local_time) - rig.stamp.utc_offset_seconds) * 1000,
         rig.stamp.time_zone, rig.stamp.utc_offset_seconds});
    const ProgrammingRecord run{rig.stamp,
                                "4100000ABCDEF1AA",
                                "T",
                                {{"interval", "10"}, {"text", "Caf\xe9"}},
                                std::string(64, 'a'),
                                "PROGRAMMING OK"};

    const auto set_limits = [&](std::optional<double> low, std::optional<double> high,
                                std::optional<double> delta_h, const std::string& reason) {
        RecordLimits limits{{low, high, insight::LimitSource::kUser}};
        limits.delta_h_kj_per_mol = delta_h.value_or(insight::kDefaultDeltaH);
        return archive.set_limits(1, limits, reason, false) == MissionArchive::LimitsChange::kSet;
    };

    struct Case {
        std::function<bool()> act;
        std::vector<std::string> expected;  // action, object, old and new value, reason
    };
    const std::vector<Case> cases{
        {[&] { return archive.archive(download, rig.stamp).has_value(); },
         {"download-archived", "record:1", "", fingerprint + '\n' + digest + '\n' + clock,
          "read through " + download.reader_device}},
        // Downloaded again: noted on the record, no new digest.
        {[&] { return archive.archive(download, rig.stamp).has_value(); },
         {"download-archived", "record:1", "", fingerprint,
          "read through " + download.reader_device}},
        {[&] { return archive.record_programming(run); },
         {"programming-run", "logger:4100000ABCDEF1AA", "",
          "type=T\ninterval=10\ntext=Caf\xc3\xa9\nimage=" + std::string(64, 'a') +
              "\nresult=PROGRAMMING OK",
          ""}},
        {[&] { return archive.record_event(download_not_archived("the disk is full")); },
         {"download-not-archived", "", "", "", "the disk is full"}},
        {[&] { return archive.record_event(file_written("CSV", "/data/a,b.csv", fingerprint)); },
         {"file-written", "file:/data/a,b.csv", "", "CSV\n" + fingerprint, ""}},
        {[&] { return archive.record_event(record_verified(1, "INTACT")); },
         {"verified", "record:1", "", "INTACT", ""}},
        {[&] { return archive.record_event(setting_changed("port", "1", "4")); },
         {"setting-changed", "setting:port", "1", "4", ""}},
        // Limits typed in Fahrenheit are kept in Celsius, as they were meant.
        {[&] {
             return set_limits(mission::ConvertTemperature(35.6, kFahrenheit, kCelsius), 8,
                               std::nullopt, "");
         },
         {"limits-set", "record:1", "low=none high=none dH=83.144", "low=2 high=8 dH=83.144", ""}},
        {[&] { return set_limits(std::nullopt, 6.5, 90, "door left open"); },
         {"limits-set", "record:1", "low=2 high=8 dH=83.144", "low=none high=6.5 dH=90",
          "door left open"}},
    };
    std::int64_t rows = 0;
    for (const Case& c : cases) {
        const std::int64_t before = QDateTime::currentMSecsSinceEpoch();
        ASSERT_TRUE(c.act()) << c.expected[0] << ": " << archive.error().toStdString();
        const std::int64_t after = QDateTime::currentMSecsSinceEpoch();
        std::vector<AuditEntry> entries;
        ASSERT_TRUE(archive.for_each_event({}, [&](const AuditEntry& e) { entries.push_back(e); }));
        ASSERT_EQ(static_cast<std::int64_t>(entries.size()), ++rows) << c.expected[0];
        const AuditEntry& entry = entries.back();
        const AuditRow& row = entry.chained.row;
        EXPECT_EQ((std::vector{row.action, row.object, row.old_value, row.new_value, row.reason}),
                  c.expected);
        EXPECT_EQ(
            std::tie(row.sequence, row.user_id, entry.full_name, row.workstation),
            std::tuple(rows, test::as_entered(actor.user_id), actor.full_name, actor.workstation));
        EXPECT_TRUE(row.utc_ms >= before && row.utc_ms <= after) << row.utc_ms;
        // The same instant on the PC's clock, with its offset.
        EXPECT_EQ(QDateTime::fromString(QString::fromStdString(entry.local_time), Qt::ISODateWithMs)
                      .toMSecsSinceEpoch(),
                  row.utc_ms)
            << entry.local_time;
    }
    const std::optional<TrailCheck> check = archive.check_audit_trail();
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->broken);
    EXPECT_EQ(check->events, rows);

    // Listed by person, by record and from a time on, oldest first.
    const auto actions = [&](const AuditFilter& filter) {
        std::vector<std::string> found;
        EXPECT_TRUE(archive.for_each_event(
            filter, [&](const AuditEntry& e) { found.push_back(e.chained.row.action); }));
        return found;
    };
    AuditFilter about_record;
    about_record.object = "record:1";
    EXPECT_EQ(actions(about_record),
              (std::vector<std::string>{"download-archived", "download-archived", "verified",
                                        "limits-set", "limits-set"}));
    // The latest limits-set event is in force; where a reason is required, none sets nothing.
    const RecordLimits latest{{std::nullopt, 6.5, insight::LimitSource::kUser}, 90};
    EXPECT_EQ(archive.record_limits(1), latest);
    EXPECT_EQ(archive.set_limits(1, {}, " ", true), MissionArchive::LimitsChange::kReasonMissing);
    EXPECT_TRUE(set_limits(std::nullopt, 6.5, 90, "the same again"));  // no row: rows below
    EXPECT_EQ(archive.record_limits(1), latest);
    EXPECT_FALSE(archive.record_limits(2));
    AuditFilter of_someone_else;
    of_someone_else.user_id = "os:someone-else";
    EXPECT_EQ(actions(of_someone_else).size(), 0u);
    AuditFilter from_later;
    from_later.since_utc_ms = QDateTime::currentMSecsSinceEpoch() + 1000;
    EXPECT_EQ(actions(from_later).size(), 0u);

    // The database itself refuses to change or remove an event.
    EXPECT_FALSE(test::change_behind_its_back(rig.path(), "UPDATE audit_events SET reason = 'x'"));
    EXPECT_FALSE(
        test::change_behind_its_back(rig.path(), "DELETE FROM audit_events WHERE sequence = 2"));
    EXPECT_EQ(archive.check_audit_trail()->events, rows);

    // Limits no one could have set do not judge the record, nor do limits edited in place.
    // The server takes limits only through its function: there, entered by its own append.
    const auto limits_entered = [&](const std::string& value) {
        EXPECT_TRUE(test::on_server()
                        ? test::change_behind_its_back(
                              rig.path(), QStringLiteral("SELECT chain_event('os:tester', 'Tess"
                                                         " Tester', 'bench-pc', 'limits-set',"
                                                         " 'record:1', '', '%1', '')")
                                              .arg(QString::fromStdString(value)))
                        : archive.record_event({"limits-set", "record:1", {}, value, {}}));
        return archive.record_limits(1);
    };
    EXPECT_FALSE(limits_entered("low=8 high=2 dH=83.144"));
    EXPECT_FALSE(limits_entered("low=2 high=8 dH=5"));
    ASSERT_TRUE(limits_entered("low=2 high=8 dH=83.144"));
    EXPECT_TRUE(test::change_behind_its_back(rig.path(), "DROP TRIGGER audit_events_kept"));
    EXPECT_TRUE(test::change_behind_its_back(
        rig.path(),
        "UPDATE audit_events SET new_value = 'low=-50 high=50 dH=83.144'"
        " WHERE sequence = (SELECT max(sequence) FROM audit_events)"));
    EXPECT_FALSE(archive.record_limits(1));
    EXPECT_NE(archive.error().toStdString().find("was edited"), std::string::npos);
}

}  // namespace
}  // namespace frostel::archive
