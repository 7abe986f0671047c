// vantor-test-setup ERP UPGRADED: copies the ERP template and runs the schema upgrade on
// the copy twice, which installs every server-side object on a database without them.
#include <filesystem>
#include <iostream>

#include "schema/upgrade.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: vantor-test-setup ERP.fdb UPGRADED.fdb\n";
    return 2;
  }
  namespace fs = std::filesystem;
  fs::copy_file(argv[1], argv[2], fs::copy_options::overwrite_existing);
  fs::permissions(argv[2], fs::perms(0666));
  vantor::schema::SchemaUpgrade upgrade(std::string("localhost:") + argv[2], {});
  for (int run = 1; run <= 2; ++run) {
    const auto outcome = upgrade.run();
    if (!outcome.finished) {
      std::cerr << "upgrade run " << run << ": " << outcome.message << "\n";
      return 1;
    }
  }
  return 0;
}
