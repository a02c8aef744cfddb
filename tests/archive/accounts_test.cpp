// Accounts and signing: their rules alone (who may sign what, in which order, and when a
// signature stops holding), then sign-in, locks, password changes and signing on a real archive
// (a file, or a database on the test server).
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <QTimeZone>
#include <functional>
#include <map>

#include "archive/account_book.h"
#include "archive/account_rules.h"
#include "archive/signature_book.h"
#include "archive/signature_rules.h"
#include "archive/signing_outlook.h"
#include "tests/support/archive_rig.h"

namespace frostel::archive {
namespace {

using Kind = AccountAnswer::Kind;

TEST(AccountRules, RightsStatesSettingsAndPasswords) {
    const std::map<Right, std::string> expected{
        // operator, reviewer, approver, administrator
        {Right::kDownload, "yyyy"},     {Right::kProgram, "yyyn"},
        {Right::kExport, "yyyn"},       {Right::kReadAuditTrail, "nyyy"},
        {Right::kSetLimits, "nyyy"},    {Right::kSignReviewed, "nyyn"},
        {Right::kSignApproved, "nnyn"}, {Right::kChangeAccounts, "nnny"},
    };
    for (const auto& [right, rights] : expected) {
        std::string held;
        for (const Role role :
             {Role::kOperator, Role::kReviewer, Role::kApprover, Role::kAdministrator}) {
            held += has_right(role, right) ? 'y' : 'n';
            EXPECT_EQ(role_from_name(role_name(role)), role);
        }
        EXPECT_EQ(held, rights) << static_cast<int>(right);
    }
    EXPECT_FALSE(role_from_name("admin"));

    EXPECT_EQ(account_state(true, true, true), AccountState::kDeactivated);
    EXPECT_EQ(account_state(false, true, true), AccountState::kLocked);
    EXPECT_EQ(account_state(false, false, true), AccountState::kMustChange);
    EXPECT_EQ(state_name(account_state(false, false, false)), "active");

    const SiteSettings defaults;
    EXPECT_EQ(defaults.idle_minutes, 15);
    EXPECT_FALSE(with_setting(defaults, "idle-minutes", 0));
    EXPECT_EQ(with_setting(defaults, "idle-minutes", 120)->idle_minutes, 120);
    EXPECT_FALSE(with_setting(defaults, "idle-minutes", 121));
    EXPECT_EQ(with_setting(defaults, "failures-before-lock", 3)->failures_before_lock, 3);
    EXPECT_EQ(setting_value(defaults, "minimum-password-length"), 10);
    EXPECT_FALSE(with_setting(defaults, "expiry", 90));
    EXPECT_TRUE(!locks_after_failure(3, defaults) && locks_after_failure(4, defaults));
    EXPECT_TRUE(is_person_id("anna.berg-2") && !is_person_id("os:anna") && !is_person_id(""));

    // Characters, not bytes: nine letters with two umlauts are too short.
    EXPECT_TRUE(password_problem("Grüße-äbc", defaults, {}, {}));
    EXPECT_FALSE(password_problem("Grüße-äbcd", defaults, {}, {}));
    // The last three chosen are refused, the fourth may come back.
    const std::vector<std::string> recent{
        hash_password("fourth-password"), hash_password("third-password"),
        hash_password("second-password"), hash_password("first-password")};
    for (const char* used : {"fourth-password", "third-password", "second-password"}) {
        EXPECT_EQ(password_problem(used, defaults, recent, {}),
                  "the password must not be one of the last 3")
            << used;
    }
    EXPECT_FALSE(password_problem("first-password", defaults, recent, {}));
    const std::string once = one_time_password(defaults);
    EXPECT_EQ(once.size(), 16u);
    EXPECT_NE(once, one_time_password(defaults));
}

const std::string kDigest(64, 'd');

Signature signed_by(const std::string& id, Meaning meaning, const std::string& limits) {
    return {1, 0, {}, id, {kDigest, meaning, limits, id + " Name"}, {}};
}

TEST(SignatureRules, ReviewThenApprovalByTwoPeopleWhileTheLimitsHold) {
    const std::string before = limits_lines({}, insight::kDefaultDeltaH);
    const std::string after =
        limits_lines({2.0, 8.0, insight::LimitSource::kUser}, insight::kDefaultDeltaH);
    EXPECT_EQ(after, "2.000000\n8.000000\nuser\n83.144000");

    const SignedTerms terms{kDigest, Meaning::kApproved, after, "Ann Approver"};
    const std::optional<SignedTerms> back = parse_signed_value(signed_value(terms));
    ASSERT_TRUE(back);
    EXPECT_EQ(signed_value(*back), signed_value(terms));
    EXPECT_FALSE(parse_signed_value(kDigest + "\nsigned\n" + after + "\nAnn"));

    const auto refusal = [&](const std::string& id, Role role, Meaning meaning,
                             const std::vector<Signature>& earlier) {
        return signing_refusal(id, id + " Name", role, meaning, earlier, kDigest, before)
            .value_or("");
    };
    const std::vector<Signature> reviewed{signed_by("rolf", Meaning::kReviewed, before)};
    EXPECT_EQ(refusal("rolf", Role::kReviewer, Meaning::kReviewed, {}), "");
    EXPECT_EQ(refusal("anna", Role::kApprover, Meaning::kApproved, reviewed), "");
    EXPECT_EQ(refusal("olga", Role::kOperator, Meaning::kReviewed, {}),
              "the role operator may not sign as reviewed");
    EXPECT_EQ(refusal("root", Role::kAdministrator, Meaning::kReviewed, {}),
              "the role administrator may not sign as reviewed");
    EXPECT_EQ(refusal("rolf", Role::kReviewer, Meaning::kApproved, reviewed),
              "the role reviewer may not sign as approved");
    // An approval with no review at all is the command line's signing test.
    EXPECT_EQ(refusal("rolf", Role::kApprover, Meaning::kApproved, reviewed),
              "an approval needs an earlier valid review by another person");
    // The reviewer again under a second id: the same full name, give or take case and blanks.
    EXPECT_EQ(signing_refusal("rolf2", " ROLF  name", Role::kApprover, Meaning::kApproved, reviewed,
                              kDigest, before),
              "an approval needs an earlier valid review by another person");
    EXPECT_EQ(refusal("rolf", Role::kReviewer, Meaning::kReviewed, reviewed),
              "rolf has signed this record as reviewed already");

    // Limits changed after signing: the review no longer holds, and may be given again.
    EXPECT_FALSE(changed_after_signing(reviewed, kDigest, before));
    EXPECT_TRUE(changed_after_signing(reviewed, kDigest, after));
    const Signature at_two = signed_by("rolf", Meaning::kReviewed, "2.000\n8.000\nuser\n83.144");
    const std::string nudged =
        limits_lines({2.0004, 8.0, insight::LimitSource::kUser}, insight::kDefaultDeltaH);
    EXPECT_TRUE(changed_after_signing({at_two}, kDigest, nudged));
    // Another record's signature copied onto this one is no change of limits.
    Signature copied = at_two;
    copied.terms.record_digest = std::string(64, 'e');
    EXPECT_FALSE(changed_after_signing({copied}, kDigest, nudged));
    EXPECT_EQ(signing_refusal("anna", "Anna", Role::kApprover, Meaning::kApproved, reviewed,
                              kDigest, after),
              "an approval needs an earlier valid review by another person");
    EXPECT_FALSE(signing_refusal("rolf", "Rolf", Role::kReviewer, Meaning::kReviewed, reviewed,
                                 kDigest, after));
}

// The meaning a person is offered first: the highest their role and the signatures so far
// allow, none once nothing is left for them to sign.
TEST(SignatureRules, TheNextMeaningIsTheHighestAllowed) {
    const std::string limits = limits_lines({}, insight::kDefaultDeltaH);
    const Signature review = signed_by("rolf", Meaning::kReviewed, limits);
    Signature approval = signed_by("anna", Meaning::kApproved, limits);
    approval.sequence = 2;  // after the review
    const Signature lapsed = signed_by("rolf", Meaning::kReviewed, "2.000\n8.000\nuser\n83.144");
    const struct {
        const char* name;
        std::string id;
        Role role;
        std::vector<Signature> earlier;
        std::optional<Meaning> next;
    } cases[] = {
        {"a reviewer, unsigned", "rolf", Role::kReviewer, {}, Meaning::kReviewed},
        {"an approver, unsigned", "anna", Role::kApprover, {}, Meaning::kReviewed},
        {"an approver after a review", "anna", Role::kApprover, {review}, Meaning::kApproved},
        {"the reviewer again", "rolf", Role::kReviewer, {review}, std::nullopt},
        {"the reviewer, as approver", "rolf", Role::kApprover, {review}, std::nullopt},
        {"the approver after approving",
         "anna",
         Role::kApprover,
         {review, approval},
         Meaning::kReviewed},
        {"the reviewer after the approval",
         "rolf",
         Role::kReviewer,
         {review, approval},
         std::nullopt},
        {"a review that lapsed", "rolf", Role::kReviewer, {lapsed}, Meaning::kReviewed},
        {"an operator", "olga", Role::kOperator, {}, std::nullopt},
        {"an administrator", "ada", Role::kAdministrator, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(next_meaning(c.id, c.id + " Name", c.role, c.earlier, kDigest, limits), c.next)
            << c.name;
    }
}

// New limits end the signatures that hold now and would not then; those that no longer hold
// or would hold again are not counted.
TEST(SignatureRules, NewLimitsSayHowManySignaturesTheyEnd) {
    const std::string none = limits_lines({}, insight::kDefaultDeltaH);
    const std::string cold =
        limits_lines({2.0, 8.0, insight::LimitSource::kUser}, insight::kDefaultDeltaH);
    const std::string typed_in_kelvin =
        limits_lines({2.0000001, 8.0, insight::LimitSource::kUser}, insight::kDefaultDeltaH);
    Signature approval = signed_by("anna", Meaning::kApproved, none);
    approval.sequence = 2;  // after the review
    const std::vector<Signature> both{signed_by("rolf", Meaning::kReviewed, none), approval};
    EXPECT_EQ(signatures_ended(both, kDigest, none, cold), 2);
    EXPECT_EQ(signatures_ended(both, kDigest, none, none), 0);
    EXPECT_EQ(signatures_ended({}, kDigest, none, cold), 0);
    // Already ended: going back to the limits they bound ends nothing.
    EXPECT_EQ(signatures_ended(both, kDigest, cold, none), 0);
    EXPECT_EQ(signatures_ended({signed_by("rolf", Meaning::kReviewed, cold)}, kDigest, cold,
                               typed_in_kelvin),
              0);
    // A signature that would hold again under the new limits makes up for none they end.
    Signature review_again = signed_by("rolf", Meaning::kReviewed, cold);
    review_again.sequence = 3;
    const std::vector<Signature> mixed{signed_by("rolf", Meaning::kReviewed, none), approval,
                                       review_again};
    EXPECT_EQ(signatures_ended(mixed, kDigest, none, cold), 2);
}

// The state of the last of a record's signatures, the first reason that applies: a copy of
// another record's signature, an edited event, other limits, and an approval with no earlier
// review by another person that holds.
TEST(SignatureRules, EachSignatureSaysWhetherItHoldsAndWhyNot) {
    const std::string in_force =
        limits_lines({2.0, 8.0, insight::LimitSource::kUser}, insight::kDefaultDeltaH);
    const std::string other_limits = limits_lines({}, insight::kDefaultDeltaH);
    const std::string other_record(64, 'e');
    const auto by = [&](std::int64_t sequence, const std::string& id, Meaning meaning) {
        return Signature{sequence, 0, {}, id, {kDigest, meaning, in_force, id + " Name"}, {}};
    };
    const auto but = [](Signature signature, const std::function<void(Signature&)>& change) {
        change(signature);
        return signature;
    };
    const auto edited = [](Signature& s) { s.row_intact = false; };
    const auto copied = [&](Signature& s) { s.terms.record_digest = other_record; };
    const auto under_other_limits = [&](Signature& s) { s.terms.limits = other_limits; };
    const Signature review = by(1, "rolf", Meaning::kReviewed);
    const Signature approval = by(3, "anna", Meaning::kApproved);
    using State = SignatureState;
    const struct {
        const char* what;
        std::vector<Signature> signatures;
        State last;
    } cases[] = {
        {"a review", {review}, State::kHolds},
        {"an approval on another person's review", {review, approval}, State::kHolds},
        {"the limits written with fewer decimals",
         {but(review, [](Signature& s) { s.terms.limits = "2.000\n8.000\nuser\n83.144"; })},
         State::kHolds},
        {"copied from another record", {but(review, copied)}, State::kNotOfThisRecord},
        {"copied and edited", {but(but(review, copied), edited)}, State::kNotOfThisRecord},
        {"an approval copied from another record",
         {review, but(approval, copied)},
         State::kNotOfThisRecord},
        {"edited", {but(review, edited)}, State::kEdited},
        {"edited under other limits",
         {but(but(review, under_other_limits), edited)},
         State::kEdited},
        {"under other limits", {but(review, under_other_limits)}, State::kLimitsChanged},
        {"under limits a millionth away",
         {but(review,
              [](Signature& s) {
                  s.terms.limits = limits_lines({2.000001, 8.0, insight::LimitSource::kUser},
                                                insight::kDefaultDeltaH);
              })},
         State::kLimitsChanged},
        {"an approval under other limits",
         {review, but(approval, under_other_limits)},
         State::kLimitsChanged},
        {"an approval with no review", {approval}, State::kReviewGone},
        {"an approval whose review was edited",
         {but(review, edited), approval},
         State::kReviewGone},
        {"an approval on a review copied from another record",
         {but(review, copied), approval},
         State::kReviewGone},
        {"an approval on a review under other limits",
         {but(review, under_other_limits), approval},
         State::kReviewGone},
        {"an approval on the approver's own review",
         {by(1, "anna", Meaning::kReviewed), approval},
         State::kReviewGone},
        {"an approval on a review by the approver under another id",
         {but(by(1, "anna2", Meaning::kReviewed),
              [](Signature& s) { s.terms.full_name = " ANNA  name"; }),
          approval},
         State::kReviewGone},
        {"an approval on a review entered after it",
         {by(5, "rolf", Meaning::kReviewed), approval},
         State::kReviewGone},
        {"an approval on an approval",
         {by(1, "olga", Meaning::kApproved), approval},
         State::kReviewGone},
        {"an approval with one review gone and another holding",
         {but(review, edited), by(2, "olga", Meaning::kReviewed), approval},
         State::kHolds},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(signature_state(c.signatures.back(), c.signatures, kDigest, in_force), c.last)
            << c.what;
    }
    EXPECT_EQ(state_words(State::kNotOfThisRecord), "IS NOT OF THIS RECORD");
    EXPECT_EQ(state_words(State::kLimitsChanged), "not valid for the current limits");
    EXPECT_EQ(state_words(State::kHolds), "valid");

    // An approval that no longer holds is given again once a review holds again.
    const std::vector<Signature> lapsed{but(review, edited), approval,
                                        by(4, "olga", Meaning::kReviewed)};
    EXPECT_FALSE(signing_refusal("anna", "anna Name", Role::kApprover, Meaning::kApproved, lapsed,
                                 kDigest, in_force));
    EXPECT_EQ(signing_refusal("anna", "anna Name", Role::kApprover, Meaning::kApproved,
                              {review, approval}, kDigest, in_force),
              "anna has signed this record as approved already");
}

struct Accounts : ::testing::Test {
    QTemporaryDir folder;
    MissionArchive archive{test::new_archive_location(folder)};
    AccountBook book{archive};
    Person admin;

    void SetUp() override {
        ASSERT_TRUE(archive.is_open());
        EXPECT_EQ(book.accounts_on(), false);
        const AccountAnswer on = turn_on("root", "Rita Root", "first-admin-password");
        ASSERT_TRUE(on.done()) << on.why;
        admin = *on.person;
        EXPECT_EQ(book.accounts_on(), true);
        EXPECT_TRUE(accounts_are_on(archive.path()));
        EXPECT_EQ(turn_on("root2", "Rolf Root", "first-admin-password").kind, Kind::kRejected);
    }

    // Accounts turned on with `id` their administrator, signed in: on a server by its schema
    // owner, as only the owner may.
    AccountAnswer turn_on(const std::string& id, const std::string& name,
                          const std::string& password) {
        if (!test::on_server()) {
            return book.turn_on(id, name, password);
        }
        MissionArchive owners(test::as_owner(archive.path()));
        const AccountAnswer on = AccountBook(owners).turn_on(id, name, password);
        return on.done() ? book.sign_in(id, password) : on;
    }

    // Each kept event's action (or other field), in order, from the `from`th on.
    std::vector<std::string> actions(std::size_t from = 0,
                                     std::string AuditRow::*field = &AuditRow::action) {
        std::vector<std::string> all;
        EXPECT_TRUE(archive.for_each_event(
            {}, [&](const AuditEntry& entry) { all.push_back(entry.chained.row.*field); }));
        return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
    }
};

TEST_F(Accounts, FiveWrongPasswordsLockUntilAnAdministratorUnlocks) {
    const AccountAnswer added = book.add(admin, "olga", "Olga Ost", Role::kOperator);
    ASSERT_TRUE(added.done()) << added.why;
    const std::size_t before = actions().size();
    for (int attempt = 1; attempt <= 5; ++attempt) {
        EXPECT_EQ(book.sign_in("olga", "not-her-password").kind, Kind::kRefused) << attempt;
    }
    EXPECT_EQ(book.sign_in("olga", added.one_time_password).kind, Kind::kRefused);
    EXPECT_EQ(book.sign_in("nobody", "any-password-at-all").kind, Kind::kRefused);
    EXPECT_EQ(actions(before),
              (std::vector<std::string>{"sign-in-refused", "sign-in-refused", "sign-in-refused",
                                        "sign-in-refused", "sign-in-refused", "account-locked",
                                        "sign-in-refused", "sign-in-refused"}));
    EXPECT_EQ(actions(before + 5, &AuditRow::reason).front(), "5 wrong passwords in a row");
    std::vector<Person> everyone;
    ASSERT_TRUE(book.people(admin, everyone).done());
    ASSERT_EQ(everyone.size(), 2u);
    EXPECT_EQ(everyone[1].state, AccountState::kLocked);

    ASSERT_TRUE(book.unlock(admin, "olga").done());
    EXPECT_EQ(book.unlock(admin, "olga").kind, Kind::kRejected);
    const AccountAnswer signed_in = book.sign_in("olga", added.one_time_password);
    ASSERT_TRUE(signed_in.done());
    EXPECT_EQ(signed_in.person->state, AccountState::kMustChange);
    EXPECT_EQ(actions(before + 8), (std::vector<std::string>{"account-unlocked", "sign-in"}));
}

TEST_F(Accounts, AResetForcesAChangeThatMayNotRepeatAnEarlierPassword) {
    ASSERT_TRUE(book.add(admin, "rolf", "Rolf Rahm", Role::kReviewer).done());
    const std::string once = book.reset(admin, "rolf").one_time_password;
    ASSERT_TRUE(book.change_password("rolf", once, "rolfs-own-password").done());
    EXPECT_EQ(book.sign_in("rolf", "rolfs-own-password").person->state, AccountState::kActive);

    const AccountAnswer reset = book.reset(admin, "rolf");
    ASSERT_TRUE(reset.done());
    EXPECT_EQ(book.sign_in("rolf", "rolfs-own-password").kind, Kind::kRefused);
    EXPECT_EQ(book.sign_in("rolf", reset.one_time_password).person->state,
              AccountState::kMustChange);
    EXPECT_EQ(book.change_password("rolf", reset.one_time_password, "rolfs-own-password").why,
              "the password must not be one of the last 3");
    EXPECT_EQ(book.change_password("rolf", reset.one_time_password, "short").kind, Kind::kRejected);
    EXPECT_EQ(book.change_password("rolf", reset.one_time_password, reset.one_time_password).why,
              "the password must not be the one-time password it replaces");
    ASSERT_TRUE(book.change_password("rolf", reset.one_time_password, "rolfs-new-password").done());
    const Person rolf = book.sign_in("rolf", "rolfs-new-password").person.value();
    EXPECT_EQ(rolf.state, AccountState::kActive);

    // Back at a locked window, the same person resumes with the password.
    const std::size_t before_lock = actions().size();
    ASSERT_TRUE(book.note_session(rolf, "session-locked").done());
    EXPECT_EQ(book.sign_in("rolf", "not-his-password", "session-resumed").kind, Kind::kRefused);
    ASSERT_TRUE(book.sign_in("rolf", "rolfs-new-password", "session-resumed").done());
    EXPECT_EQ(actions(before_lock),
              (std::vector<std::string>{"session-locked", "sign-in-refused", "session-resumed"}));

    // What he does from then on is his, though another person signed in after him.
    ASSERT_TRUE(book.sign_in("root", "first-admin-password").done());
    archive.act_as(actor_of(rolf, "ward-3"));
    ASSERT_TRUE(archive.record_event(record_verified(1, "intact")))
        << archive.error().toStdString();
    std::string last_user;
    ASSERT_TRUE(archive.for_each_event(
        {}, [&](const AuditEntry& entry) { last_user = entry.chained.row.user_id; }));
    EXPECT_EQ(last_user, "rolf");
}

TEST_F(Accounts, OnlyAnActiveAdministratorChangesAccountsAndTheLastOneStays) {
    // A full name is one line wherever it is shown: no second line may pose as a signature's.
    EXPECT_EQ(book.add(admin, "eve", "Eve Evil\nApproved: Rita Root", Role::kOperator).why,
              "a full name may not hold a line break, a tab or another control character");
    const std::string once = book.add(admin, "olga", "Olga Ost", Role::kOperator).one_time_password;
    ASSERT_TRUE(book.change_password("olga", once, "olgas-own-password").done());
    const Person olga = book.sign_in("olga", "olgas-own-password").person.value();
    EXPECT_EQ(book.add(olga, "eve", "Eve Evil", Role::kAdministrator).kind, Kind::kRefused);
    std::vector<Person> everyone;
    EXPECT_EQ(book.people(olga, everyone).kind, Kind::kRefused);
    EXPECT_TRUE(everyone.empty());
    EXPECT_EQ(book.change_setting(olga, "idle-minutes", 30).kind, Kind::kRefused);
    EXPECT_EQ(actions().back(), "access-refused");

    EXPECT_EQ(book.set_role(admin, "root", Role::kOperator).kind, Kind::kRejected);
    EXPECT_EQ(book.deactivate(admin, "root").kind, Kind::kRejected);
    ASSERT_TRUE(book.set_role(admin, "olga", Role::kAdministrator).done());
    ASSERT_TRUE(book.change_setting(olga, "idle-minutes", 30).done());
    EXPECT_EQ(book.change_setting(olga, "idle-minutes", 121).kind, Kind::kRejected);
    EXPECT_EQ(book.site_settings().idle_minutes, 30);
    ASSERT_TRUE(book.deactivate(olga, "root").done());
    // A deactivated administrator's sign-in and rights are gone; the name stays.
    EXPECT_EQ(book.add(admin, "eve", "Eve Evil", Role::kOperator).kind, Kind::kRefused);
    EXPECT_EQ(book.sign_in("root", "first-admin-password").kind, Kind::kRefused);
    ASSERT_TRUE(book.people(olga, everyone).done());
    EXPECT_EQ(everyone[0].full_name, "Rita Root");
    EXPECT_EQ(everyone[0].state, AccountState::kDeactivated);
}

// An id typed at the sign-in or given to an administrator's command may be a pasted page or a
// spreadsheet formula: the trail keeps its length, never its text.
TEST_F(Accounts, AnIdThatIsNoPersonsLeavesOnlyItsLengthInTheTrail) {
    const AccountAnswer olga = book.add(admin, "olga", "Olga Ost", Role::kOperator);
    ASSERT_TRUE(olga.done());
    const std::size_t before = actions().size();
    const std::string formula = R"(=HYPERLINK("http://x.example","click"))";
    EXPECT_EQ(book.sign_in(formula, "any-password-at-all").kind, Kind::kRefused);
    EXPECT_EQ(book.sign_in(std::string(100000, 'a'), "any-password-at-all").kind, Kind::kRefused);
    EXPECT_EQ(book.reset(admin, formula).why, "there is no person " + formula);
    std::vector<std::string> users{"invalid id (38 characters)", "invalid id (100000 characters)"};
    std::vector<std::string> objects{"user:invalid id (38 characters)",
                                     "user:invalid id (100000 characters)"};
    // On a server a person acts only once signed in, which a one-time password does not let
    // Olga do; the server's refusal of her is the server test's.
    if (!test::on_server()) {
        EXPECT_EQ(book.reset(*olga.person, formula).kind, Kind::kRefused);
        EXPECT_EQ(book.add(*olga.person, formula, "Eve Evil", Role::kOperator).kind,
                  Kind::kRefused);
        users.insert(users.end(), {"olga", "olga"});
        objects.insert(objects.end(), 2, "user:invalid id (38 characters)");
    }
    EXPECT_EQ(actions(before, &AuditRow::user_id), users);
    EXPECT_EQ(actions(before, &AuditRow::object), objects);
}

// A signing that asks for the password checks it in its own transaction, as a sign-in does;
// a signature whose event was edited in place since holds no longer.
TEST_F(Accounts, ASigningChecksThePasswordItAskedFor) {
    test::ArchiveRig rig;
    ASSERT_TRUE(archive.archive(
        rig.download(test::ArchiveRig::mission("Cold room", {2026, 1, 15, 10, 30, 0}, 20)),
        rig.stamp));
    const AccountAnswer added = book.add(admin, "rolf", "Rolf Rahm", Role::kReviewer);
    ASSERT_TRUE(added.done()) << added.why;
    ASSERT_TRUE(book.change_password("rolf", added.one_time_password, "rolfs-own-password").done());
    const Person rolf = book.sign_in("rolf", "rolfs-own-password").person.value();
    SignatureBook signatures(archive);
    const std::size_t before = actions().size();
    EXPECT_EQ(signatures.sign(rolf, 1, Meaning::kReviewed, {}, "not-his-password").why,
              "wrong password");
    EXPECT_EQ(signatures.sign(rolf, 1, Meaning::kReviewed, {}, "rolfs-own-password").kind,
              SigningAnswer::Kind::kSigned);
    EXPECT_EQ(actions(before),
              (std::vector<std::string>{"sign-in-refused", "signing-refused", "signed"}));

    ASSERT_TRUE(signatures.of_record(1)->edited().empty());
    EXPECT_TRUE(test::change_behind_its_back(archive.path(), "DROP TRIGGER audit_events_kept"));
    EXPECT_TRUE(test::change_behind_its_back(
        archive.path(), "UPDATE audit_events SET reason = 'all fine' WHERE action = 'signed'"));
    const std::optional<RecordSignatures> edited = signatures.of_record(1);
    ASSERT_EQ(edited->edited().size(), 1u);
    EXPECT_FALSE(edited->holds(edited->signatures.front()));
}

// What History, archive show and a signature show of a record beside its checked columns is
// computed from what the record digest and the chain cover: each time from its UTC instant
// in the record's zone, each person named by the event that made their account. The copies
// kept beside them, changed behind the archive's back, change nothing shown.
TEST_F(Accounts, ARecordShowsOnlyWhatItsDigestAndTheChainCover) {
    test::ArchiveRig rig;
    const AccountAnswer added = book.add(admin, "rolf", "Rolf Rahm", Role::kReviewer);
    ASSERT_TRUE(added.done()) << added.why;
    ASSERT_TRUE(book.change_password("rolf", added.one_time_password, "rolfs-own-password").done());
    const Person rolf = book.sign_in("rolf", "rolfs-own-password").person.value();
    archive.act_as(actor_of(rolf, "ward-3"));
    mission::DownloadedMission download =
        rig.download(test::ArchiveRig::mission("Cold room", {2026, 1, 15, 10, 30, 0}, 20));
    const std::int64_t id = archive.archive(download, rig.stamp).value().second;
    download.pages[15].bytes[0] ^= 0x11;  // the logger's clock ran on
    ASSERT_EQ(archive.archive(download, rig.stamp)->first, Archived::kDownloadedAgain);
    const SigningAnswer signed_as =
        SignatureBook(archive).sign(rolf, id, Meaning::kReviewed, {}, "rolfs-own-password");
    ASSERT_EQ(signed_as.kind, SigningAnswer::Kind::kSigned) << signed_as.why;

    const QTimeZone berlin("Europe/Berlin");
    const auto in_berlin = [&](std::int64_t utc_ms) {
        return QDateTime::fromMSecsSinceEpoch(utc_ms, berlin);
    };
    const std::vector<ShownEvent> events = archive.record_history(id).value();
    ASSERT_EQ(events.size(), 3u);
    for (const ShownEvent& event : events) {
        const QDateTime local =
            QDateTime::fromString(QString::fromStdString(event.local_time), Qt::ISODateWithMs);
        EXPECT_EQ(local.toMSecsSinceEpoch(), event.chained.row.utc_ms) << event.local_time;
        EXPECT_EQ(local.offsetFromUtc(), in_berlin(event.chained.row.utc_ms).offsetFromUtc());
        EXPECT_EQ(event.full_name, "Rolf Rahm");
    }
    EXPECT_EQ(
        archive.load(id)->last_downloaded_at,
        in_berlin(events[1].chained.row.utc_ms).toString("yyyy-MM-dd HH:mm:ss").toStdString());

    const auto shown = [&](MissionArchive& of) {
        std::vector<std::string> texts{of.load(id).value().last_downloaded_at};
        const std::vector<ShownEvent> history = of.record_history(id).value();
        for (const ShownEvent& event : history) {
            texts.push_back(event.local_time + ' ' + event.full_name);
        }
        const RecordSignatures signatures = of.store().record_signatures(id).value();
        for (const Signature& signature : signatures.signatures) {
            texts.push_back(signature.local_time);
        }
        return texts;
    };
    const std::vector<std::string> before = shown(archive);
    archive.store().close();  // copied whole, and on the server with nobody connected
    const std::string unguarded = "DROP TRIGGER audit_events_kept; UPDATE audit_events SET ";
    const std::string changes[] = {
        "UPDATE missions SET last_downloaded_at = '2030-01-01 00:00:00'",
        unguarded + "local_time = '2030-01-01T00:00:00.000+00:00'",
        unguarded + "full_name = 'Mallory Mole'",
    };
    for (const std::string& change : changes) {
        MissionArchive changed(test::changed_copy(archive.path(), change.c_str()));
        EXPECT_EQ(shown(changed), before) << change;
        EXPECT_EQ(changed.verify(id), Verification::kIntact) << change;
    }
}

// What the archive's list shows of a record beside its kept columns follows each change of
// its limits and signatures: the verdict under the limits in force, and a change of limits
// after signing over any signature that still holds.
TEST_F(Accounts, ARecordsStandingFollowsItsLimitsAndSignatures) {
    test::ArchiveRig rig;
    ASSERT_TRUE(archive.archive(
        rig.download(test::ArchiveRig::mission("Cold room", {2026, 1, 15, 10, 30, 0}, 20)),
        rig.stamp));
    const ArchiveEntry record = archive.find({}).value().front();
    const std::string once =
        book.add(admin, "rolf", "Rolf Rahm", Role::kReviewer).one_time_password;
    ASSERT_TRUE(book.change_password("rolf", once, "rolfs-own-password").done());
    const Person rolf = book.sign_in("rolf", "rolfs-own-password").person.value();
    const auto limits = [this](std::optional<double> low, std::optional<double> high) {
        return [this, low, high] {
            const RecordLimits set{{low, high, insight::LimitSource::kUser}};
            return archive.set_limits(1, set, "new SOP", true) ==
                   MissionArchive::LimitsChange::kSet;
        };
    };
    const std::string out_of_limits = "2 EXCURSIONS, 1 h 20 min OUT OF LIMITS";
    const SigningState reviewed{Meaning::kReviewed, false};
    const SigningState changed{std::nullopt, true};
    struct Step {
        const char* what;
        std::function<bool()> change;
        RecordStanding standing;
    };
    const std::vector<Step> steps{
        {"as archived, by the logger's own thresholds", [] { return true; }, {"NO LIMITS", {}}},
        {"limits set", limits(2.0, 6.0), {out_of_limits, {}}},
        {"reviewed",
         [&] {
             return SignatureBook(archive)
                        .sign(rolf, 1, Meaning::kReviewed, {}, "rolfs-own-password")
                        .kind == SigningAnswer::Kind::kSigned;
         },
         {out_of_limits, reviewed}},
        {"limits changed after signing", limits(2.0, 8.0), {"WITHIN LIMITS", changed}},
        {"the signed limits again", limits(2.0, 6.0), {out_of_limits, reviewed}},
        {"limits taken away", limits(std::nullopt, std::nullopt), {"NO LIMITS", changed}},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(step.change()) << step.what << ": " << archive.error().toStdString();
        const std::optional<RecordStanding> standing = archive.standing(record);
        ASSERT_TRUE(standing) << step.what << ": " << archive.error().toStdString();
        EXPECT_EQ(standing->verdict, step.standing.verdict) << step.what;
        EXPECT_EQ(standing->signing, step.standing.signing) << step.what;
    }
    EXPECT_EQ(changed.text(), "CHANGED AFTER SIGNING");
    EXPECT_EQ(reviewed.text(), "reviewed");
}

}  // namespace
}  // namespace frostel::archive
