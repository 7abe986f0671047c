// The answer budget: what fits goes at once, what does not waits, small ones pass big ones.
#include <gtest/gtest.h>

#include <string>

#include "http/answer_budget.hpp"

namespace vantor::http {
namespace {

TEST(AnswerBudget, WaitsForRoomAndLetsSmallAnswersPass) {
  AnswerBudget budget(100);
  std::string order;
  budget.acquire(60, [&] { order += "a"; });
  budget.acquire(50, [&] { order += "b"; });  // does not fit beside a
  budget.acquire(30, [&] { order += "c"; });  // fits beside a, goes ahead of b
  EXPECT_EQ(order, "ac");
  EXPECT_EQ(budget.waiting(), 1u);
  budget.release(60);
  EXPECT_EQ(order, "acb");
  EXPECT_EQ(budget.held(), 80u);
  EXPECT_EQ(budget.waiting(), 0u);
}

TEST(AnswerBudget, AnAnswerBiggerThanTheBudgetGoesAloneOnceNothingIsHeld) {
  AnswerBudget budget(100);
  std::string order;
  budget.acquire(10, [&] { order += "a"; });
  budget.acquire(500, [&] { order += "B"; });
  EXPECT_EQ(order, "a");
  budget.release(10);
  EXPECT_EQ(order, "aB");
  budget.release(200);  // given back as it is written
  budget.release(300);
  EXPECT_EQ(budget.held(), 0u);
}

}  // namespace
}  // namespace vantor::http
