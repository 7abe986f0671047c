// The two JSON encoders on rows held in memory.
#include <gtest/gtest.h>

#include <fstream>

#include "encode/json_encoders.hpp"
#include "tests/support/memory_rows.hpp"

namespace vantor::encode {
namespace {

using db::ColumnClass;
using test::MemoryRows;

struct RecordingSink final : EncoderSink {
  std::vector<std::string> lines;
  std::vector<std::string> pictures;
  void log(std::string line) override { lines.push_back(std::move(line)); }
  void picture(std::string_view jpeg) override { pictures.emplace_back(jpeg); }
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A small real JPEG picture (16 x 12), and a PNG one.
std::string jpeg_picture() { return read_file(std::string(VANTOR_SOURCE_DIR_DEFAULT) + "/tests/fixtures/picture.jpg"); }
std::string png_picture() { return read_file(std::string(VANTOR_SOURCE_DIR_DEFAULT) + "/tests/fixtures/picture.png"); }

TEST(LowerCaseKeys, NoRowsGiveAnEmptyArrayAndCountZero) {
  MemoryRows rows({test::column("ID", ColumnClass::Int32)});
  RecordingSink sink;
  EXPECT_EQ(MYJASONalls(rows, sink), "[]");
  EXPECT_EQ(sink.lines, std::vector<std::string>{"Count: 0"});
}

TEST(LowerCaseKeys, CategoryRowWithQuotesConstantsAndNull) {
  MemoryRows rows({test::column("ID", ColumnClass::Int32), test::column("NAME", ColumnClass::Text),
                   test::column("PARENT_ID", ColumnClass::Int32), test::column("IMAGE", ColumnClass::FixedText)});
  rows.add({test::whole_cell(7), test::text_cell("Tea \"Gold\""), test::null_cell(ColumnClass::Int32),
            test::text_cell("", ColumnClass::FixedText)});
  RecordingSink sink;
  EXPECT_EQ(MYJASONalls(rows, sink), R"([{"id":7.00,"name":"Tea  Gold ","parent_id":0.00,"image":0.00}])");
}

TEST(LowerCaseKeys, ValueRulesInTheirOrder) {
  struct Case {
    const char* id;
    db::ColumnInfo column;
    test::MemoryCell cell;
    const char* expected;  // the object, or "" when the row is left out
  } cases[] = {
      {"blank-only text", test::column("T", ColumnClass::Text), test::text_cell(" \t\r\n"), R"({"t":" "})"},
      {"null text", test::column("T", ColumnClass::Text), test::null_cell(ColumnClass::Text), R"({"t":" "})"},
      {"untrimmed text", test::column("T", ColumnClass::Text), test::text_cell("  a  "), R"({"t":"  a  "})"},
      {"varchar NULL word", test::column("T", ColumnClass::Text), test::text_cell("NULL"), R"({"t":"NULL"})"},
      {"backslash and slash raw", test::column("T", ColumnClass::Text), test::text_cell("C:\\dir/x"),
       R"({"t":"C:\dir/x"})"},
      {"literal that is no number", test::column("LOGO", ColumnClass::FixedText),
       test::text_cell("NULL", ColumnClass::FixedText), ""},
      {"literal that is a number", test::column("K", ColumnClass::FixedText),
       test::text_cell("12", ColumnClass::FixedText), R"({"k":12.00})"},
      {"integer", test::column("N", ColumnClass::Int32), test::whole_cell(7), R"({"n":7.00})"},
      {"currency", test::column("N", ColumnClass::Currency), test::scaled_cell(-25, 1), R"({"n":-2.50})"},
      {"boolean", test::column("B", ColumnClass::Boolean), test::boolean_cell(true), R"({"b":-1.00})"},
      {"timestamp by name", test::column("UPDATETED_AT", ColumnClass::DateTime),
       test::date_time_cell(2024, 3, 5, 14, 30), R"({"updateted_at":"2024-03-05"})"},
      {"null timestamp by name", test::column("FDATE", ColumnClass::DateTime), test::null_cell(ColumnClass::DateTime),
       R"({"fdate":"1899-12-30"})"},
      {"text date", test::column("INVDATE", ColumnClass::Text), test::text_cell("05/03/2024"),
       R"({"invdate":"2024-03-05"})"},
      {"text date that is none", test::column("CDATE", ColumnClass::Text), test::text_cell("abc"), ""},
      {"number named date", test::column("DATENO", ColumnClass::Int32), test::whole_cell(3), ""},
      {"TOTIME label", test::column("totime", ColumnClass::DateTime, "TOTIME"),
       test::date_time_cell(2024, 3, 5, 14, 30), R"({"totime":"05/03/2024 14:30:00"})"},
      {"totime label in lower case", test::column("totime", ColumnClass::DateTime),
       test::date_time_cell(2024, 3, 5, 14, 30), R"({"totime":45356.60})"},
      {"ENDTIME", test::column("ENDTIME", ColumnClass::DateTime), test::date_time_cell(2024, 3, 5, 14, 30),
       R"({"endtime":45356.60})"},
      {"non-ASCII name", test::column("\xC3\x84PFEL", ColumnClass::Int32), test::whole_cell(1),
       "{\"\xC3\x84pfel\":1.00}"},
      {"quote in a name", test::column("A\"B", ColumnClass::Int32), test::whole_cell(1), R"({"a\"b":1.00})"},
      {"null blob", test::column("IMAGE", ColumnClass::Binary), test::null_cell(ColumnClass::Binary),
       R"({"image":" "})"},
      {"png blob", test::column("IMAGE", ColumnClass::Binary), test::blob_cell(png_picture()), "{}"},
      {"text blob", test::column("MEMO", ColumnClass::LongText), test::blob_cell("hello", ColumnClass::LongText), "{}"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.id);
    MemoryRows rows({c.column});
    rows.add({c.cell});
    RecordingSink sink;
    const std::string expected = *c.expected ? std::string("[") + c.expected + "]" : "[]";
    EXPECT_EQ(MYJASONalls(rows, sink), expected);
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Count: 1"});
  }
}

TEST(LowerCaseKeys, AFailingRowIsLeftOutAndItsNeighboursStay) {
  MemoryRows rows({test::column("ID", ColumnClass::Int32), test::column("CDATE", ColumnClass::Text)});
  rows.add({test::whole_cell(1), test::text_cell("01/01/2024")});
  rows.add({test::whole_cell(2), test::text_cell("abc")});
  rows.add({test::whole_cell(3), test::text_cell("02/01/2024")});
  RecordingSink sink;
  EXPECT_EQ(MYJASONalls(rows, sink), R"([{"id":1.00,"cdate":"2024-01-01"},{"id":3.00,"cdate":"2024-01-02"}])");
  EXPECT_EQ(sink.lines, std::vector<std::string>{"Count: 3"});
}

TEST(LowerCaseKeys, JpegPicturesGoOutAsBase64AndToThePictureBox) {
  const std::string jpeg = jpeg_picture();
  ASSERT_GT(jpeg.size(), 100u);
  MemoryRows rows({test::column("SID", ColumnClass::Text), test::column("IMAGE", ColumnClass::Binary)});
  rows.add({test::text_cell("A100"), test::blob_cell(jpeg)});
  RecordingSink sink;
  const std::string json = MYJASONalls(rows, sink);
  EXPECT_EQ(json.substr(0, 25), R"([{"sid":"A100","image":"/)");
  EXPECT_EQ(json.substr(24 + 76, 2), "\r\n");
  EXPECT_EQ(sink.pictures, std::vector<std::string>{jpeg});
}

TEST(LowerCaseKeys, PictureOfAMultipleOfFiftySevenBytesEndsWithALineBreak) {
  std::string jpeg = jpeg_picture();
  jpeg.resize((jpeg.size() / 57 + 1) * 57, '\0');  // bytes after the image end change nothing
  MemoryRows rows({test::column("IMAGE", ColumnClass::Binary)});
  rows.add({test::blob_cell(jpeg)});
  RecordingSink sink;
  const std::string json = MYJASONalls(rows, sink);
  EXPECT_EQ(json.substr(json.size() - 5), "\r\n\"}]");
}

TEST(LowerCaseKeys, OnlyTheFirstPacketIsRead) {
  MemoryRows rows({test::column("N", ColumnClass::Int32)}, 2);
  for (int i = 1; i <= 5; ++i) rows.add({test::whole_cell(i)});
  RecordingSink sink;
  EXPECT_EQ(MYJASONalls(rows, sink), R"([{"n":1.00},{"n":2.00}])");
  EXPECT_EQ(sink.lines, std::vector<std::string>{"Count: 2"});
}

TEST(StoredNames, KeysKeepTheirCaseAndOnlyTextOrNumbersComeOut) {
  MemoryRows rows({test::column("item", ColumnClass::Text), test::column("wh_id", ColumnClass::Text),
                   test::column("Wh_name", ColumnClass::Text), test::column("qty", ColumnClass::Double),
                   test::column("UPDATETED_AT", ColumnClass::DateTime)});
  rows.add({test::text_cell("A100"), test::text_cell("01"), test::text_cell("Main store"), test::real_cell(12),
            test::date_time_cell(2024, 3, 5, 14, 30)});
  RecordingSink sink;
  EXPECT_EQ(MYJASONall(rows, sink),
            R"([{"item":"A100","wh_id":"01","Wh_name":"Main store","qty":12.00,"UPDATETED_AT":45356.60}])");
  EXPECT_EQ(sink.lines, std::vector<std::string>{"Count: 1"});
}

TEST(StoredNames, AFailingRowKeepsThePairsBuiltSoFar) {
  MemoryRows rows({test::column("A", ColumnClass::Text), test::column("B", ColumnClass::Int32),
                   test::column("LOGO", ColumnClass::FixedText), test::column("D", ColumnClass::Int32)});
  rows.add({test::text_cell("He said \"yes\""), test::whole_cell(1), test::text_cell("NULL", ColumnClass::FixedText),
            test::whole_cell(4)});
  rows.add({test::text_cell(" "), test::null_cell(ColumnClass::Int32), test::text_cell("12", ColumnClass::FixedText),
            test::whole_cell(5)});
  RecordingSink sink;
  EXPECT_EQ(MYJASONall(rows, sink), R"([{"A":"He said  yes ","B":1.00},{"A":" ","B":0.00,"LOGO":12.00,"D":5.00}])");
}

TEST(StoredNames, BlobsAreNumbersOnlyWhenTheyAreTextHoldingOne) {
  MemoryRows rows({test::column("X", ColumnClass::Int32), test::column("B", ColumnClass::LongText)});
  rows.add({test::whole_cell(1), test::blob_cell("42.5", ColumnClass::LongText)});
  rows.add({test::whole_cell(2), test::blob_cell("memo", ColumnClass::LongText)});
  rows.add({test::whole_cell(3), test::null_cell(ColumnClass::LongText)});
  RecordingSink sink;
  EXPECT_EQ(MYJASONall(rows, sink), R"([{"X":1.00,"B":42.50},{"X":2.00},{"X":3.00,"B":0.00}])");
}

}  // namespace
}  // namespace vantor::encode
