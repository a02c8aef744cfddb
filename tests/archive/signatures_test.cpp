// Signing rules: who may sign what, in which order, and when a signature stops holding.
#include <gtest/gtest.h>

#include "archive/signature_rules.h"

namespace frostel::archive {
namespace {

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
    EXPECT_FALSE(signature_holds(reviewed.front(), kDigest, after));
    EXPECT_FALSE(signature_holds(reviewed.front(), std::string(64, 'e'), before));
    // A change smaller than the thousandth is a change; fewer decimals written are none.
    const Signature at_two = signed_by("rolf", Meaning::kReviewed, "2.000\n8.000\nuser\n83.144");
    EXPECT_TRUE(signature_holds(at_two, kDigest, after));
    const std::string nudged =
        limits_lines({2.0004, 8.0, insight::LimitSource::kUser}, insight::kDefaultDeltaH);
    EXPECT_FALSE(signature_holds(at_two, kDigest, nudged));
    EXPECT_TRUE(changed_after_signing({at_two}, kDigest, nudged));
    EXPECT_EQ(signing_refusal("anna", "Anna", Role::kApprover, Meaning::kApproved, reviewed,
                              kDigest, after),
              "an approval needs an earlier valid review by another person");
    EXPECT_FALSE(signing_refusal("rolf", "Rolf", Role::kReviewer, Meaning::kReviewed, reviewed,
                                 kDigest, after));
}

}  // namespace
}  // namespace frostel::archive
