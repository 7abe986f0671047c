// A database of many items (the benchmark's generator), made once per build folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace vantor::test {

// The connection string of a database with items items.
inline std::string big_database(int items) {
  const char* db_dir = std::getenv("VANTOR_TEST_DB_DIR");
  const char* source = std::getenv("VANTOR_SOURCE_DIR");
  const char* binary = std::getenv("VANTOR_BINARY_DIR");
  const std::string folder = db_dir != nullptr ? db_dir : VANTOR_TEST_DB_DIR_DEFAULT;
  const std::string file = folder + "/items-" + std::to_string(items) + ".fdb";
  if (!std::filesystem::exists(file)) {
    const std::string command = std::string(source != nullptr ? source : VANTOR_SOURCE_DIR_DEFAULT) +
                                "/bench/make_bench_database.sh " + file + ".new " + std::to_string(items) + " " +
                                (binary != nullptr ? binary : VANTOR_BINARY_DIR_DEFAULT) + "/vantor-server";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make " + file);
    std::filesystem::rename(file + ".new", file);
  }
  return "localhost:" + file;
}

}  // namespace vantor::test
