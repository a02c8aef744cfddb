// frostel-cli's audit commands on a real archive file, changed behind its back with the
// sqlite3 program as someone covering their tracks would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <cstdlib>
#include <fstream>

#include "archive/mission_archive.h"
#include "archive/pg_schema.h"
#include "tests/support/archive_rig.h"
#include "tests/support/pdf_text.h"
#include "tests/support/process.h"

namespace frostel::test {
namespace {

namespace fs = std::filesystem;

struct AuditCommands : ::testing::Test {
    fs::path folder =
        fs::temp_directory_path() / ("frostel-cli-audit-" + std::to_string(::getpid()));

    void SetUp() override {
        fs::create_directories(folder / "kept");
        archive::MissionArchive archive(QString::fromStdString(archive_file("kept").string()),
                                        archive::MissionArchive::Access::kReadWrite,
                                        {"os:anna", "Anna Berg", "pc-7"});
        ASSERT_TRUE(archive.is_open());
        for (const archive::AuditEvent& event :
             {archive::setting_changed("port", "1", "4"),
              archive::file_written("CSV", "/data/week 49, \"cold\".csv", std::string(64, 'f')),
              archive::record_verified(1, "INTACT"),
              archive::download_not_archived("line one\nline\ttwo \\ three")}) {
            ASSERT_TRUE(archive.record_event(event));
        }
    }
    void TearDown() override { fs::remove_all(folder); }

    [[nodiscard]] fs::path archive_file(const std::string& name) const {
        return folder / name / "frostel-archive.sqlite";
    }
    // frostel-cli on the "kept" archive, `input` on standard input as a person would type
    // the passwords.
    [[nodiscard]] ProcessResult as(const std::string& input, std::vector<std::string> words) const {
        words.insert(words.begin(),
                     {"sh", "-c", "printf '%s' \"$0\" | \"$@\"", input, "env", "TZ=UTC",
                      FROSTEL_CLI, "--data-folder", (folder / "kept").string()});
        return run_process(words);
    }
    [[nodiscard]] ProcessResult audit(const std::string& name, std::vector<std::string> words,
                                      const std::string& zone = "UTC") const {
        words.insert(words.begin(), {"env", "TZ=" + zone, FROSTEL_CLI, "--data-folder",
                                     (folder / name).string(), "audit"});
        return run_process(words);
    }
};

// RFC 4180 records: fields split at commas outside quotes, "" inside quotes a quote.
std::vector<std::vector<std::string>> csv_records(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            records.back().back() += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            records.back().emplace_back();
        } else if (!quoted && c == '\r' && text.compare(i, 2, "\r\n") == 0) {
            records.emplace_back(1);
            ++i;
        } else {
            records.back().back() += c;
        }
    }
    records.pop_back();  // after the last line break
    return records;
}

TEST_F(AuditCommands, ListVerifyAndAnExportThatAnyoneCanRecomputeTheChainFrom) {
    const ProcessResult list = audit("kept", {"list", "--record", "1"});
    EXPECT_EQ(list.exit_code, 0) << list.err;
    std::vector<std::string> fields(1);
    for (const char c : list.out) {
        if (c == '\t') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    ASSERT_EQ(fields.size(), 9u) << list.out;
    const QDateTime utc =
        QDateTime::fromString(QString::fromStdString(fields[1]), Qt::ISODateWithMs);
    EXPECT_TRUE(utc.isValid() && utc.timeSpec() == Qt::UTC && fields[1].size() == 24) << fields[1];
    fields.erase(fields.begin() + 1);
    EXPECT_EQ(fields, (std::vector<std::string>{"3", "os:anna", "pc-7", "verified", "record:1", "",
                                                "INTACT", "\n"}));
    EXPECT_TRUE(audit("kept", {"list", "--user", "os:bo"}).out.empty());
    const ProcessResult all = audit("kept", {"list", "--since", "2000-01-01"});
    EXPECT_NE(all.out.find("\tdownload-not-archived\t\t\t\tline one\\nline\\ttwo \\\\ three\n"),
              std::string::npos)
        << all.out;

    // The chain hashes UTC milliseconds: the PC's time zone changes nothing.
    const ProcessResult berlin = audit("kept", {"verify"}, "Europe/Berlin");
    EXPECT_EQ(berlin.exit_code, 0) << berlin.err;
    ASSERT_TRUE(berlin.out.starts_with("INTACT 4 EVENTS, HEAD ")) << berlin.out;
    EXPECT_EQ(audit("kept", {"verify"}).out, berlin.out);
    const std::string head = berlin.out.substr(22, 64);

    const fs::path csv = folder / "trail.csv";
    ASSERT_EQ(audit("kept", {"export", csv.string()}).exit_code, 0);
    std::ifstream in(csv, std::ios::binary);
    const auto records = csv_records({std::istreambuf_iterator<char>(in), {}});
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0],
              (std::vector<std::string>{"sequence", "utc", "user", "workstation", "action",
                                        "object", "old", "new", "reason", "hash"}));
    EXPECT_EQ(records[2][5], "file:/data/week 49, \"cold\".csv");
    std::string chain(64, '0');
    for (std::size_t r = 1; r < records.size(); ++r) {
        std::vector<std::string> fields = records[r];
        fields[1] = std::to_string(
            QDateTime::fromString(QString::fromStdString(fields[1]), Qt::ISODateWithMs)
                .toMSecsSinceEpoch());
        QByteArray text = QByteArray::fromStdString(chain);
        for (std::size_t f = 0; f < 9; ++f) {
            text += '\n' + QByteArray::fromStdString(fields[f])
                               .replace("\\", "\\\\")
                               .replace("\n", "\\n")
                               .replace("\t", "\\t");
        }
        chain = QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex().toStdString();
        EXPECT_EQ(chain, fields[9]) << "row " << r;
    }
    EXPECT_EQ(chain, head);
}

TEST_F(AuditCommands, AnArchiveFileOrASharedArchiveNamedByArchive) {
    const ProcessResult file = run_process({"env", "TZ=UTC", FROSTEL_CLI, "--archive",
                                            archive_file("kept").string(), "audit", "verify"});
    EXPECT_EQ(file.exit_code, 0) << file.err;
    EXPECT_TRUE(file.out.starts_with("INTACT 4 EVENTS, HEAD ")) << file.out;

    const char* server = std::getenv("FROSTEL_TEST_PG");
    if (server == nullptr) {
        GTEST_SKIP() << "FROSTEL_TEST_PG names no test server";
    }
    const std::string database = "frostel_cli_" + std::to_string(::getpid());
    ASSERT_EQ(run_process({"psql", "-q", server, "-c", "DROP DATABASE IF EXISTS " + database, "-c",
                           "CREATE DATABASE " + database})
                  .exit_code,
              0);
    std::string address = server;
    address.replace(address.find("/postgres?"), 10, "/" + database + "?");
    const auto cli = [&](const std::string& action) {
        return run_process({FROSTEL_CLI, "--archive", address, "archive", action});
    };
    const std::string version = std::to_string(archive::pg_schema_version());
    EXPECT_EQ(cli("migrate").out, "MIGRATED FROM 0 TO " + version + "\n");
    const ProcessResult again = cli("migrate");
    EXPECT_EQ(again.out, "UP TO DATE AT " + version + "\n");
    EXPECT_EQ(again.err, "");
    const ProcessResult list = cli("list");
    EXPECT_EQ(list.exit_code, 0) << list.err;
    EXPECT_EQ(list.out, "");
}

TEST_F(AuditCommands, VerifyNamesTheFirstRowEditedRemovedOrMoved) {
    const std::string unguarded =
        "DROP TRIGGER audit_events_kept; DROP TRIGGER audit_events_not_removed; ";
    const struct {
        const char* name;
        std::string sql;
        const char* verdict;
    } cases[] = {
        {"edited", "UPDATE audit_events SET new_value = '9' WHERE sequence = 2",
         "BROKEN AT 2: the row was edited\n"},
        {"removed", "DELETE FROM audit_events WHERE sequence = 3",
         "BROKEN AT 3: the row is missing\n"},
        {"last-removed", "DELETE FROM audit_events WHERE sequence = 4",
         "BROKEN AT 4: the row is missing\n"},
        {"moved",
         "UPDATE audit_events SET sequence = -2 WHERE sequence = 2;"
         " UPDATE audit_events SET sequence = 2 WHERE sequence = 3;"
         " UPDATE audit_events SET sequence = 3 WHERE sequence = -2",
         "BROKEN AT 2: the row is out of order\n"},
    };
    for (const auto& c : cases) {
        fs::create_directories(folder / c.name);
        fs::copy_file(archive_file("kept"), archive_file(c.name));
        const ProcessResult changed =
            run_process({"sqlite3", archive_file(c.name).string(), unguarded + c.sql});
        ASSERT_EQ(changed.exit_code, 0) << c.name << ": " << changed.err;
        const ProcessResult verify = audit(c.name, {"verify"});
        EXPECT_EQ(verify.exit_code, 1) << c.name;
        EXPECT_EQ(verify.out, c.verdict) << c.name;
    }
}

// Accounts turned on in an archive that has a trail already: from then on every command
// needs a person, refusals say nothing more than they must, and the trail names them all.
TEST_F(AuditCommands, AccountsFromTurningThemOnToADeactivatedPerson) {
    EXPECT_EQ(as("", {"users", "list"}).exit_code, 1);
    EXPECT_EQ(as("root-password\nroot-password\n",
                 {"users", "init", "--admin", "root", "--name", "Rita Root"})
                  .exit_code,
              0);
    EXPECT_EQ(
        as("a-password\na-password\n", {"users", "init", "--admin", "x", "--name", "X"}).exit_code,
        1);
    EXPECT_EQ(as("", {"archive", "list"}).exit_code, 2);

    const std::vector<std::string> root{"--user", "root"};
    const auto as_root = [&](std::vector<std::string> words) {
        words.insert(words.begin(), root.begin(), root.end());
        return as("root-password\n", words);
    };
    const ProcessResult added =
        as_root({"users", "add", "olga", "--name", "Olga Ost", "--role", "operator"});
    ASSERT_EQ(added.exit_code, 0) << added.err;
    ASSERT_EQ(added.out.size(), 17u) << added.out;
    const std::string once = added.out.substr(0, 16);
    const auto as_olga = [&](const std::string& input, std::vector<std::string> words) {
        words.insert(words.begin(), {"--user", "olga"});
        return as(input, words);
    };
    const ProcessResult must_change = as_olga(once + "\n", {"archive", "list"});
    EXPECT_EQ(must_change.exit_code, 3);
    EXPECT_EQ(must_change.err, "password must be changed\n");
    EXPECT_EQ(as_olga(once + "\nolgas-password\n", {"users", "passwd"}).exit_code, 0);
    EXPECT_EQ(as_olga("olgas-password\n", {"archive", "list"}).exit_code, 0);
    const ProcessResult not_hers =
        as_olga("olgas-password\n", {"users", "add", "eve", "--name", "Eve", "--role", "operator"});
    EXPECT_EQ(not_hers.exit_code, 3);
    const ProcessResult wrong = as_olga("not-her-password\n", {"audit", "verify"});
    EXPECT_EQ(wrong.exit_code, 3);
    EXPECT_EQ(wrong.err, "sign-in refused\n");
    EXPECT_EQ(wrong.out, "");

    // Limits set for a kept mission need a reason typed with them.
    const ProcessResult no_reason = as_root({"archive", "limits", "1", "--limits", "2:8"});
    EXPECT_EQ(no_reason.exit_code, 2);
    EXPECT_EQ(no_reason.err, "frostel-cli: archive limits needs --reason TEXT\n");
    ASSERT_EQ(as_root({"users", "deactivate", "olga"}).exit_code, 0);
    EXPECT_EQ(as_root({"users", "setting", "idle-minutes", "30"}).exit_code, 0);
    EXPECT_EQ(as_olga("olgas-password\n", {"archive", "list"}).exit_code, 3);
    const ProcessResult people = as_root({"users", "list"});
    EXPECT_TRUE(people.out.starts_with("root\tRita Root\tadministrator\tactive\t20")) << people.out;
    EXPECT_NE(people.out.find("\nolga\tOlga Ost\toperator\tdeactivated\t20"), std::string::npos)
        << people.out;

    const ProcessResult hers = as_root({"audit", "list", "--user", "olga"});
    std::vector<std::string> actions;
    for (std::size_t at = 0; (at = hers.out.find("\tolga\t", at)) != std::string::npos;) {
        std::size_t from = hers.out.find('\t', at + 6) + 1;
        actions.push_back(hers.out.substr(from, hers.out.find('\t', from) - from));
        at = from;
    }
    EXPECT_EQ(actions, (std::vector<std::string>{"sign-in", "sign-in", "password-changed",
                                                 "sign-in", "sign-in", "access-refused",
                                                 "sign-in-refused", "sign-in-refused"}));
    archive::MissionArchive kept(QString::fromStdString(archive_file("kept").string()),
                                 archive::MissionArchive::Access::kReadOnly);
    archive::AuditFilter of_olga;
    of_olga.user_id = "olga";
    ASSERT_TRUE(kept.for_each_event(of_olga, [](const archive::AuditEntry& entry) {
        EXPECT_EQ(entry.full_name, "Olga Ost") << entry.chained.row.action;
    }));
    EXPECT_EQ(as_root({"audit", "verify"}).exit_code, 0);
}

// Two people sign a record in turn; every refusal exits 3 and is entered in the trail; the
// signatures show in the report and the bundle until the limits change; and a signature row
// copied onto another record is found by archive verify.
TEST_F(AuditCommands, SignaturesFromReviewAndApprovalToAChangeOfLimits) {
    {
        ArchiveRig rig;
        const mission::DownloadedMission first =
            rig.download(ArchiveRig::mission("Fridge 2", {2026, 1, 5, 8, 0, 0}, 40));
        archive::MissionArchive archive(QString::fromStdString(archive_file("kept").string()));
        ASSERT_TRUE(archive.archive(first, rig.stamp));
        ASSERT_TRUE(archive.archive(ArchiveRig::variant(first, 7), rig.stamp));
    }
    const auto count = [](const std::string& text, const std::string& word) {
        int n = 0;
        for (std::size_t at = 0; (at = text.find(word, at)) != std::string::npos;
             at += word.size()) {
            ++n;
        }
        return n;
    };
    const std::vector<std::string> review{"sign", "1", "--meaning", "reviewed"};
    const std::vector<std::string> approve{"sign", "1", "--meaning", "approved"};
    const ProcessResult without_accounts = as("", review);
    EXPECT_EQ(without_accounts.exit_code, 3);
    EXPECT_NE(without_accounts.err.find("signing needs accounts"), std::string::npos);

    ASSERT_EQ(as("root-password\nroot-password\n",
                 {"users", "init", "--admin", "root", "--name", "Rita Root"})
                  .exit_code,
              0);
    const auto person = [&](const std::string& id, const std::string& name, const char* role) {
        const ProcessResult added = as("root-password\n", {"--user", "root", "users", "add", id,
                                                           "--name", name, "--role", role});
        ASSERT_EQ(added.exit_code, 0) << added.err;
        ASSERT_EQ(as(added.out.substr(0, 16) + "\n" + id + "-password\n",
                     {"--user", id, "users", "passwd"})
                      .exit_code,
                  0);
    };
    person("olga", "Olga Ost", "operator");
    person("rolf", "Rolf Rahm", "reviewer");
    person("anna", "Anna Amt", "approver");
    const auto by = [&](const std::string& id, std::vector<std::string> words) {
        words.insert(words.begin(), {"--user", id});
        return as(id + "-password\n", words);
    };
    const ProcessResult too_early = by("anna", approve);
    EXPECT_EQ(too_early.exit_code, 3);
    EXPECT_EQ(too_early.err,
              "frostel-cli: signing refused: an approval needs an earlier valid "
              "review by another person\n");
    EXPECT_EQ(by("olga", review).exit_code, 3);
    std::vector<std::string> commented = review;
    commented.insert(commented.end(), {"--comment", "excursion on day 2 explained"});
    const ProcessResult reviewed = by("rolf", commented);
    EXPECT_EQ(reviewed.exit_code, 0) << reviewed.err;
    EXPECT_EQ(reviewed.out, "record 1 signed as reviewed by Rolf Rahm (rolf)\n");
    EXPECT_EQ(by("rolf", review).exit_code, 3);
    EXPECT_EQ(by("rolf", approve).exit_code, 3);
    EXPECT_EQ(by("anna", approve).exit_code, 0);

    const ProcessResult shown = by("anna", {"archive", "show", "1"});
    EXPECT_EQ(shown.exit_code, 0) << shown.err;
    EXPECT_NE(shown.out.find("\nsignature: reviewed, Rolf Rahm, rolf, 20"), std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("\nsignature: approved, Anna Amt, anna, 20"), std::string::npos);
    EXPECT_EQ(count(shown.out, "+00:00, 20"), 2) << shown.out;
    EXPECT_EQ(count(shown.out, "Z, valid\n"), 2) << shown.out;
    EXPECT_EQ(count(shown.out, "CHANGED AFTER SIGNING"), 0);
    const fs::path pdf = folder / "signed.pdf";
    ASSERT_EQ(by("anna", {"archive", "export", "1", "--pdf", pdf.string()}).exit_code, 0);
    QString printed;
    for (int page = 1; page <= 3; ++page) {
        printed += pdf_text(QString::fromStdString(pdf.string()), page);
    }
    const QRegularExpression signature_printed(
        "(Reviewed by Rolf Rahm \\(rolf\\)|Approved by Anna Amt \\(anna\\)), "
        "20\\S+\\+00:00 \\(20\\S+Z\\)");
    EXPECT_EQ(printed.count(signature_printed), 2) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Z): excursion on day 2 explained"));
    // The inspection bundle checks with sha256sum alone, and its pages are the fingerprint's.
    const fs::path bundle = folder / "bundle";
    ASSERT_EQ(by("anna", {"archive", "bundle", "1", bundle.string()}).exit_code, 0);
    EXPECT_EQ(by("anna", {"archive", "bundle", "1", bundle.string()}).exit_code, 2);
    const auto in_bundle = [&](const std::string& command) {
        return run_process({"sh", "-c", "cd \"$0\" && " + command, bundle.string()});
    };
    const ProcessResult sums = in_bundle("sha256sum -c SHA256SUMS");
    EXPECT_EQ(sums.exit_code, 0) << sums.out << sums.err;
    EXPECT_EQ(count(sums.out, ": OK\n"), 6) << sums.out;
    EXPECT_NE(
        shown.out.find("\nfingerprint: " + in_bundle("sha256sum pages.bin").out.substr(0, 64)),
        std::string::npos);
    const ProcessResult trail = by("anna", {"audit", "list", "--record", "1"});
    std::string listed_sequences;
    for (std::size_t line = 0; line < trail.out.size(); line = trail.out.find('\n', line) + 1) {
        listed_sequences += trail.out.substr(line, trail.out.find('\t', line) - line) + ' ';
    }
    std::ifstream audit_csv(bundle / "audit.csv", std::ios::binary);
    std::string bundled_sequences;
    for (const auto& record : csv_records({std::istreambuf_iterator<char>(audit_csv), {}})) {
        bundled_sequences += record.front() + ' ';
    }
    EXPECT_EQ(bundled_sequences, "sequence " + listed_sequences);
    EXPECT_EQ(in_bundle("printf '\\377' | dd of=pages.bin bs=1 seek=40 conv=notrunc 2>/dev/null &&"
                        " sha256sum -c --quiet SHA256SUMS")
                  .exit_code,
              1);
    EXPECT_EQ(count(trail.out, "\tsigned\trecord:1\t"), 2) << trail.out;
    EXPECT_EQ(count(trail.out, "\tsigning-refused\trecord:1\t"), 5) << trail.out;
    EXPECT_NE(trail.out.find("Rolf Rahm\texcursion on day 2 explained\n"), std::string::npos);

    // Limits changed after the approval: neither signature holds, and each view says so.
    ASSERT_EQ(
        by("anna", {"archive", "limits", "1", "--limits", "2:8", "--reason", "new SOP"}).exit_code,
        0);
    const ProcessResult changed = by("anna", {"archive", "show", "1"});
    EXPECT_EQ(count(changed.out, "Z, not valid for the current limits\n"), 2) << changed.out;
    EXPECT_NE(changed.out.find("\nstatus: CHANGED AFTER SIGNING\n"), std::string::npos);
    const fs::path changed_pdf = folder / "changed.pdf";
    ASSERT_EQ(by("anna", {"archive", "export", "1", "--pdf", changed_pdf.string()}).exit_code, 0);
    const QString changed_report = pdf_text(QString::fromStdString(changed_pdf.string()));
    EXPECT_TRUE(changed_report.contains("CHANGED AFTER SIGNING"));
    EXPECT_FALSE(changed_report.contains("Reviewed by Rolf"));

    // A review given again, then edited in place: it holds no longer, and verify names it.
    ASSERT_EQ(by("rolf", review).exit_code, 0);
    const ProcessResult edited =
        run_process({"sqlite3", archive_file("kept").string(),
                     "DROP TRIGGER audit_events_kept; UPDATE audit_events SET reason = 'all fine'"
                     " WHERE sequence = (SELECT max(sequence) FROM audit_events"
                     " WHERE action = 'signed'); SELECT changes()"});
    ASSERT_EQ(edited.out, "1\n") << edited.err;
    const ProcessResult shown_edited = by("anna", {"archive", "show", "1"});
    EXPECT_EQ(count(shown_edited.out, "Z, valid\n"), 0) << shown_edited.out;
    EXPECT_EQ(count(shown_edited.out, "Z, not valid, its event was edited\n"), 1);

    const ProcessResult copied = run_process(
        {"sqlite3", archive_file("kept").string(),
         "INSERT INTO audit_events (utc_ms, local_time, user_id, full_name, workstation, action,"
         " object, old_value, new_value, reason, previous_hash, hash)"
         " SELECT utc_ms, local_time, user_id, full_name, workstation, action, 'record:2',"
         " old_value, new_value, reason, previous_hash, hash FROM audit_events"
         " WHERE action = 'signed' ORDER BY sequence LIMIT 1; SELECT max(sequence) FROM "
         "audit_events"});
    ASSERT_EQ(copied.exit_code, 0) << copied.err;
    const ProcessResult verified = by("anna", {"archive", "verify"});
    EXPECT_EQ(verified.exit_code, 1);
    EXPECT_NE(verified.out.find("1\tINTACT\n"), std::string::npos) << verified.out;
    EXPECT_NE(verified.out.find(" WAS EDITED\n"), std::string::npos);

    // An altered record is not bundled: its bundle would pass sha256sum -c.
    ASSERT_EQ(run_process({"sqlite3", archive_file("kept").string(),
                           "UPDATE missions SET maximum = maximum - 1 WHERE id = 2"})
                  .exit_code,
              0);
    EXPECT_EQ(by("anna", {"archive", "bundle", "2", (folder / "altered").string()}).exit_code, 1);
    EXPECT_FALSE(fs::exists(folder / "altered"));
    EXPECT_NE(verified.out.find("2\tSIGNATURE " + copied.out.substr(0, copied.out.size() - 1) +
                                " IS NOT OF THIS RECORD\n"),
              std::string::npos)
        << verified.out;
}

}  // namespace
}  // namespace frostel::test
