// Long seeded random message sequences against the running program; see fuzz/message_fuzz.h.
#include "fuzz/message_fuzz.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{

class MessageFuzz : public ::testing::TestWithParam<unsigned>
{
};

TEST_P(MessageFuzz, InvariantsHoldAndEscapeEndsWithZero)
{
    std::mt19937 random(GetParam());
    std::vector<std::uint8_t> data(6000);
    for (std::uint8_t& byte : data) {
        byte = static_cast<std::uint8_t>(random());
    }
    EXPECT_EQ(RunMessageFuzz(data.data(), data.size()), "") << "seed " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Seeds, MessageFuzz, ::testing::Range(1u, 9u));

TEST(MessageFuzzInput, EmptyAndTinyInputsStillEndCleanly)
{
    EXPECT_EQ(RunMessageFuzz(nullptr, 0), "");
    const std::uint8_t one[] = {0x42};
    EXPECT_EQ(RunMessageFuzz(one, 1), "");
}

} // namespace
