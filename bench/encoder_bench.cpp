// Rows per second of the three encoders on 100,000 in-memory rows shaped like the
// active-items list (16 columns: texts, numbers, a date).
#include <benchmark/benchmark.h>

#include "encode/html_page.hpp"
#include "encode/json_encoders.hpp"
#include "tests/support/memory_rows.hpp"

namespace {

using vantor::db::ColumnClass;
using namespace vantor::test;

constexpr int kRows = 100000;

MemoryRows item_list() {
  MemoryRows rows(
      {column("id", ColumnClass::Text), column("product_name", ColumnClass::Text),
       column("description", ColumnClass::Text), column("product_code", ColumnClass::Text),
       column("cost", ColumnClass::Double), column("currid", ColumnClass::Int32), column("price", ColumnClass::Double),
       column("discount", ColumnClass::Double), column("qty", ColumnClass::Double),
       column("updateted_at", ColumnClass::DateTime), column("reserve", ColumnClass::Double),
       column("brand_id", ColumnClass::Text), column("category_id", ColumnClass::Text),
       column("vat", ColumnClass::Double), column("subcat2", ColumnClass::Text), column("pack", ColumnClass::Double)},
      kRows);
  for (int i = 0; i < kRows; ++i) {
    const std::string id = "I" + std::to_string(100000 + i);
    rows.add({text_cell(id), text_cell("Item number " + std::to_string(i)), text_cell("Pack of 12"), text_cell(id),
              real_cell(1.25 + i % 100), whole_cell(1 + i % 2), real_cell(2.5 + i % 300 * 0.25), real_cell(0),
              real_cell(i % 1000), date_time_cell(2024, 1 + i % 12, 1 + i % 28), real_cell(i % 7),
              text_cell("Brand " + std::to_string(i % 50)), text_cell("Category " + std::to_string(i % 20)),
              real_cell(16), i % 3 == 0 ? null_cell(ColumnClass::Text) : text_cell("Sub"), real_cell(12)});
  }
  return rows;
}

template <typename Encode>
void run(benchmark::State& state, Encode encode) {
  for (auto _ : state) {
    state.PauseTiming();
    MemoryRows rows = item_list();
    state.ResumeTiming();
    benchmark::DoNotOptimize(encode(rows));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void LowerCaseKeys(benchmark::State& state) {
  vantor::encode::NullSink sink;
  run(state, [&](MemoryRows& rows) { return vantor::encode::MYJASONalls(rows, sink); });
}

void StoredNames(benchmark::State& state) {
  vantor::encode::NullSink sink;
  run(state, [&](MemoryRows& rows) { return vantor::encode::MYJASONall(rows, sink); });
}

void HtmlPage(benchmark::State& state) {
  run(state, [](MemoryRows& rows) { return vantor::encode::HTMLall(rows); });
}

}  // namespace

BENCHMARK(LowerCaseKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(StoredNames)->Unit(benchmark::kMillisecond);
BENCHMARK(HtmlPage)->Unit(benchmark::kMillisecond);
