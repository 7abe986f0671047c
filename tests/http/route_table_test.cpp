// The facts of each route: which answers are echoed, which routes may wait on a lock,
// and the fixed facts of a path without a route.
#include <gtest/gtest.h>

#include <set>

#include "http/route_table.hpp"
#include "text/ascii.hpp"

namespace vantor::http {
namespace {

const Route& route_of(std::string_view path) { return find_route(text::ascii_lowercase(path)); }

TEST(RouteTable, BigListsAreNotEchoed) {
  for (const char* path :
       {"/product", "/PRODUCTA", "/sales", "/invoice", "/product2", "/productdate", "/pricesgr", "/myjson", "/Stock"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(route_of(path).echoed);
  }
  for (const char* path : {"/price", "/customer", "/myhtml", "/product_images", "/nothing"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(route_of(path).echoed);
  }
}

TEST(RouteTable, WritesAndRowLocksAreMarked) {
  std::set<std::string_view> waiting;
  for (const Route& route : route_table()) {
    if (route.may_wait_on_lock()) waiting.insert(route.path);
  }
  EXPECT_EQ(waiting, (std::set<std::string_view>{"/inventory", "/reserve", "/paym", "/openyear", "/invoiceinsert",
                                                 "/itemsinsert", "/room", "/myjson", "/myhtml"}));
}

// Lookups run on the loops and before big lists: only routes that answer a few rows by
// key or a small fixed table.
TEST(RouteTable, LookupsAreTheRoutesThatAnswerAFewRows) {
  std::set<std::string_view> lookups;
  for (const Route& route : route_table()) {
    if (route.route_class == RouteClass::Lookup) lookups.insert(route.path);
  }
  EXPECT_EQ(lookups, (std::set<std::string_view>{"/price", "/whqty", "/itemsdet", "/product_images", "/company",
                                                 "/category", "/brands", "/subcat1", "/stores"}));
}

TEST(RouteTable, EveryRouteHasItsOwnLabelAndAPathWithoutRouteHasFixedFacts) {
  std::set<std::string_view> labels;
  for (const Route& route : route_table()) {
    EXPECT_NE(route.endpoint, nullptr) << route.path;
    EXPECT_TRUE(labels.insert(route.label).second) << route.label;
  }
  const Route& none = route_of("/nothing");
  EXPECT_EQ(none.endpoint, nullptr);
  EXPECT_TRUE(none.echoed);
  EXPECT_FALSE(none.may_wait_on_lock());
  EXPECT_EQ(none.label, "other");
  EXPECT_EQ(labels.count("other"), 0u);
}

}  // namespace
}  // namespace vantor::http
