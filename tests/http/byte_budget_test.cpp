// The memory budgets: what fits is taken, one bigger than the whole budget goes alone,
// and whoever wanted room is told once when a release leaves some.
#include <gtest/gtest.h>

#include "http/byte_budget.hpp"

namespace vantor::http {
namespace {

TEST(ByteBudget, TakesWhatFitsAndOneTooBigOnlyWhenNothingIsHeld) {
  ByteBudget budget(100);
  EXPECT_TRUE(budget.try_take(60));
  EXPECT_FALSE(budget.try_take(50));
  EXPECT_TRUE(budget.try_take(40));
  EXPECT_TRUE(budget.spent());
  budget.release(100);
  EXPECT_TRUE(budget.try_take(500));  // alone: nothing else held
  EXPECT_FALSE(budget.try_take(1));
  budget.release(500);
  EXPECT_EQ(budget.held(), 0u);
  EXPECT_EQ(budget.released(), 600u);
}

TEST(ByteBudget, TellsOnceWhenRoomComesBackToWhoeverWantedIt) {
  ByteBudget budget(100);
  int told = 0;
  budget.on_room([&] { ++told; });
  budget.take(150);  // an answer counted whether it fits or not
  budget.release(10);
  EXPECT_EQ(told, 0);  // nobody wanted room
  budget.want_room();
  budget.release(30);  // 110 held: still spent
  EXPECT_EQ(told, 0);
  budget.release(20);  // 90 held
  EXPECT_EQ(told, 1);
  budget.release(90);
  EXPECT_EQ(told, 1);  // once per wish
}

}  // namespace
}  // namespace vantor::http
