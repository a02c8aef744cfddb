// What the record-keeper's windows decide, without a window: what "Accounts..." does, what an
// administrator may change of a person, how a trail's field reads, and the folder a bundle
// goes to.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/accounts_window.h"
#include "app/file_name_dialogs.h"
#include "app/trail_text.h"

namespace frostel::app {
namespace {

using archive::AccountState;
using archive::Person;
using archive::Role;
using Work = AccountsOffer::Work;

TEST(AccountsOffer, TurnsOnManagesOrSaysWhyNot) {
    const Person ada{"ada", "Ada", Role::kAdministrator};
    const Person anna{"anna", "Anna", Role::kApprover};
    const struct {
        const char* name;
        std::optional<bool> on;
        std::optional<Person> person;
        Work work;
        const char* why;
    } cases[] = {
        {"accounts off", false, std::nullopt, Work::kTurnOn, ""},
        {"cannot be read", std::nullopt, ada, Work::kNone,
         "Whether accounts are on cannot be read from this archive."},
        {"nobody signed in yet", true, std::nullopt, Work::kNone,
         "Accounts are on: an administrator signed in at the main window manages them here."},
        {"an approver", true, anna, Work::kNone, "Only an administrator manages accounts."},
        {"an administrator", true, ada, Work::kManage, ""},
    };
    for (const auto& c : cases) {
        const AccountsOffer offer = accounts_offer(c.on, c.person);
        EXPECT_EQ(offer.work, c.work) << c.name;
        EXPECT_EQ(offer.why.toStdString(), c.why) << c.name;
    }
}

TEST(AccountsOffer, ChangesFollowTheAccountsState) {
    EXPECT_EQ(changes_offered(AccountState::kActive), (AccountChanges{true, true, false, true}));
    EXPECT_EQ(changes_offered(AccountState::kMustChange),
              (AccountChanges{true, true, false, true}));
    EXPECT_EQ(changes_offered(AccountState::kLocked), (AccountChanges{true, true, true, true}));
    EXPECT_EQ(changes_offered(AccountState::kDeactivated), AccountChanges{});
}

TEST(TrailText, LinesAsLinesAndNoControlObeyed) {
    const struct {
        std::string field;
        QString shown;
    } cases[] = {
        {"low=2 high=8", "low=2 high=8"},
        {"first\nsecond", "first\nsecond"},
        {"first\r\nsecond\r\n", "first\nsecond\n"},
        {"lone\rreturn", "lone\\x0dreturn"},
        {"tab\tkept", "tab\tkept"},
        {"clear\x1b[2J screen\x7f", "clear\\x1b[2J screen\\x7f"},
        {"a \\n stays as typed", "a \\n stays as typed"},
        {"Gr\xc3\xbc\xc3\x9f"
         "e",
         QString::fromUtf8("Grüße")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(trail_text(c.field), c.shown) << c.field;
    }
}

TEST(TrailText, HtmlKeepsLinesAndNeverReadsTheTextAsHtml) {
    EXPECT_EQ(html_lines("<b>a</b>\n& b"), "&lt;b&gt;a&lt;/b&gt;<br>&amp; b");
    EXPECT_EQ(literal_tooltip("<img src=x>\n  two"),
              "<p style='white-space:pre-wrap'>&lt;img src=x&gt;<br>  two</p>");
}

TEST(NewFolder, NewOrEmptyOnly) {
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath("used/inside") && QDir(folder.path()).mkpath("empty"));
    QFile file(folder.filePath("a file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString hidden = folder.filePath("hidden");
    ASSERT_TRUE(QDir(folder.path()).mkpath("hidden/.git"));
    const auto at = [&folder](const char* name) { return folder.filePath(name); };
    EXPECT_EQ(ready_new_folder(at("empty")), "");
    EXPECT_EQ(ready_new_folder(at("new")), "");
    EXPECT_TRUE(QFileInfo(at("new")).isDir());
    EXPECT_TRUE(ready_new_folder(at("used"))
                    .endsWith("is not empty: choose an empty folder, "
                              "or type a new name."));
    EXPECT_TRUE(ready_new_folder(hidden).contains("is not empty"));
    EXPECT_TRUE(ready_new_folder(at("a file")).endsWith("is a file: choose a folder."));
    // Only the folder typed is made, never a path of folders to it.
    EXPECT_TRUE(ready_new_folder(at("not/there")).endsWith("could not be made."));
    EXPECT_FALSE(QFileInfo::exists(at("not")));
    EXPECT_FALSE(ready_new_folder({}).isEmpty());
}

}  // namespace
}  // namespace frostel::app
