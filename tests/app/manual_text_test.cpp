#include "app/manual_window.h"

#include <gtest/gtest.h>

namespace frostel::app {
namespace {

// The manual starts at the "Using it" heading itself, not at a mention of it or a deeper
// heading of the same words; a README without one is shown whole.
TEST(ManualText, FromTheUsingItHeadingOnOrTheWholeText) {
    const std::pair<const char*, const char*> cases[] = {
        {"# Frostel\nIntro\n## Using it\n- Load Data\n## Archive\n",
         "## Using it\n- Load Data\n## Archive\n"},
        {"# Frostel\nsee \"## Using it\" below\n## Using it  \nthis\n", "## Using it  \nthis\n"},
        {"# Frostel\n### Using it\nno\n", "# Frostel\n### Using it\nno\n"},
        {"", ""},
    };
    for (const auto& [readme, manual] : cases) {
        EXPECT_EQ(manual_text(QString::fromUtf8(readme)).toStdString(), manual) << readme;
    }
}

TEST(ManualText, LooksBesideTheInstalledProgramFirstThenInTheSourceTree) {
    const QStringList where = manual_locations("/opt/frostel/bin");
    ASSERT_EQ(where.size(), 2);
    EXPECT_EQ(where[0].toStdString(), "/opt/frostel/bin/../share/frostel/manual.md");
    EXPECT_TRUE(where[1].endsWith("/README.md"));
}

}  // namespace
}  // namespace frostel::app
