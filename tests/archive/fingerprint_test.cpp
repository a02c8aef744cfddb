#include "archive/fingerprint.h"

#include <gtest/gtest.h>

namespace frostel::archive {
namespace {

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

}  // namespace
}  // namespace frostel::archive
