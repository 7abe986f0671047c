// The database's own speed for the server's work, on our data layer without HTTP:
//   raw_baseline price DATABASE CODES_FILE THREADS SECONDS
//     the statements of one price lookup (price, supplier, currency) in one read-only
//     transaction, on THREADS attachments of their own, for SECONDS;
//     prints "lookups_per_second p50_ms p99_ms"
//   raw_baseline fetch DATABASE QUERY [PARAMETER] REPEATS
//     walks every row of a catalogue query (reading every value) REPEATS times after one
//     untimed walk; prints the median ms
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "db/attachment_pool.hpp"
#include "db/catalogue.hpp"
#include "db/session.hpp"

namespace {

using namespace vantor;
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Reads every value of every row, as an encoder would.
std::size_t walk(db::RowSource& rows) {
  std::size_t count = 0;
  while (rows.next()) {
    for (std::size_t i = 0; i < rows.columns().size(); ++i) rows.cell(i);
    ++count;
  }
  return count;
}

double percentile(std::vector<double>& values, double fraction) {
  if (values.empty()) return 0;
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

int price(const std::string& database, const std::string& codes_file, int threads, int seconds) {
  std::vector<std::string> codes;
  std::ifstream in(codes_file);
  for (std::string line; std::getline(in, line);) codes.push_back(line);
  std::atomic<bool> stop{false};
  std::vector<std::vector<double>> latencies(static_cast<std::size_t>(threads));
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      db::PooledAttachment slot;
      slot.attachment = db::Attachment::attach(database);
      std::mt19937 random(static_cast<unsigned>(t) + 1);
      std::uniform_int_distribution<std::size_t> pick(0, codes.size() - 1);
      while (!stop) {
        const auto start = Clock::now();
        db::DbSession session(slot);
        auto cursor = session.open(db::query(db::Query::Price),
                                   db::Params{{"code", codes[pick(random)]}, {"wh", std::string("%%")}});
        walk(*cursor);
        cursor.reset();
        session.finish();
        latencies[static_cast<std::size_t>(t)].push_back(ms_since(start));
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  stop = true;
  for (auto& worker : workers) worker.join();
  std::vector<double> all;
  for (auto& list : latencies) all.insert(all.end(), list.begin(), list.end());
  const double rate = static_cast<double>(all.size()) / seconds;
  const double p50 = percentile(all, 0.50);
  const double p99 = percentile(all, 0.99);
  std::printf("%.0f %.3f %.3f\n", rate, p50, p99);
  return 0;
}

// The catalogue entry that the command line names.
const db::QueryDef& by_name(const std::string& name) {
  for (const auto& def : db::catalogue()) {
    if (def.name == name) return def;
  }
  throw std::invalid_argument("no query named " + name);
}

int fetch(const std::string& database, const std::string& query, const std::string& parameter, int repeats) {
  db::PooledAttachment slot;
  slot.attachment = db::Attachment::attach(database);
  std::vector<double> times;
  std::size_t rows = 0;
  for (int i = -1; i < repeats; ++i) {  // the first walk prepares the statement, as the server's has been: untimed
    const auto start = Clock::now();
    db::DbSession session(slot);
    db::Params params;
    if (query == "saccount") params.set("mysid", parameter);
    auto cursor = session.open(by_name(query), params);
    rows = walk(*cursor);
    cursor.reset();
    session.finish();
    if (i >= 0) times.push_back(ms_since(start));
  }
  std::printf("%.1f %zu\n", percentile(times, 0.5), rows);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 5 && args[0] == "price") return price(args[1], args[2], std::stoi(args[3]), std::stoi(args[4]));
    if (args.size() == 4 && args[0] == "fetch") return fetch(args[1], args[2], "", std::stoi(args[3]));
    if (args.size() == 5 && args[0] == "fetch") return fetch(args[1], args[2], args[3], std::stoi(args[4]));
  } catch (const std::exception& failure) {
    std::cerr << failure.what() << "\n";
    return 1;
  }
  std::cerr << "usage: raw_baseline price DATABASE CODES THREADS SECONDS | fetch DATABASE QUERY [PARAMETER] REPEATS\n";
  return 2;
}
