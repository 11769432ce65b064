#include <gtest/gtest.h>

#include "cmds/cmds.h"

namespace {

using tokens::TOKEN;

TEST(Keywords, BoundsOfTheTable) {
    EXPECT_STREQ(cmds::GetKeyword(tokens::END_OF_INPUT), "*");
    EXPECT_EQ(cmds::GetKeyword(static_cast<TOKEN>(-2)), nullptr);
    EXPECT_EQ(cmds::GetKeyword(tokens::NUMBER), nullptr);
    EXPECT_EQ(cmds::GetKeyword(tokens::SCOPE_VALUE), nullptr);
}

}  // namespace
