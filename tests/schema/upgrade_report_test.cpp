// The upgrade's end line from the forms its objects have and the failures it met.
#include "schema/upgrade_report.hpp"

#include <gtest/gtest.h>

namespace vantor::schema {
namespace {

constexpr const char* kInUse = "unsuccessful metadata update; object PROCEDURE \"PPRICE\" is in use";
constexpr const char* kExists =
    "unsuccessful metadata update; CREATE PROCEDURE MYITE failed; Procedure MYITE already exists";
constexpr const char* kLocked = "lock time-out on wait transaction; deadlock; update conflicts with concurrent update";

TEST(UpgradeReport, TheEndLineNamesWhatIsNotInItsNewFormAndWhy) {
  struct Case {
    const char* id;
    std::vector<ObjectForm> forms;
    Failures failures;
    std::optional<long> others;
    const char* line;
  } cases[] = {
      {"all new", {{"PPRICE", Form::New}, {"DOROOM", Form::New}}, {{"MYITE", {kExists}}}, 0, "update finished"},
      {"the ERP's own DOROOM",
       {{"PPRICE", Form::New}, {"DOROOM", Form::Own}},
       {},
       0,
       "update finished: DOROOM kept: the database's own version"},
      {"in use, whatever failed after",
       {{"PPRICE", Form::Earlier}},
       {{"PPRICE", {kInUse, kExists}}},
       2,
       "update finished: PPRICE not replaced: in use by 2 other attachments"},
      {"in use by one",
       {{"PPRICE", Form::Earlier}},
       {{"PPRICE", {kInUse}}},
       1,
       "update finished: PPRICE not replaced: in use by 1 other attachment"},
      {"the drop's failure, not the create's that follows",
       {{"MYITE", Form::Earlier}},
       {{"MYITE", {kExists, kLocked, kExists}}},
       0,
       "update finished: MYITE not replaced: lock time-out on wait "
       "transaction; deadlock; update conflicts with concurrent update"},
      {"missing without a word",
       {{"PRODUCT", Form::Missing}, {"MOBRSERVE", Form::Missing}},
       {},
       std::nullopt,
       "update finished: PRODUCT not installed; MOBRSERVE not installed"},
  };
  for (const auto& c : cases) EXPECT_EQ(finished_line(c.forms, c.failures, c.others), c.line) << c.id;
}

TEST(UpgradeReport, TheStartingLineCountsTheOtherAttachments) {
  EXPECT_EQ(starting_line(0), "update starting: no other attachments to the database");
  EXPECT_EQ(starting_line(1),
            "update starting: 1 other attachment to the database; what they use may not be replaceable");
  EXPECT_EQ(starting_line(std::nullopt), "update starting: the other attachments to the database cannot be counted");
}

}  // namespace
}  // namespace vantor::schema
