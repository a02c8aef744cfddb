#pragma once

#include <ostream>
#include <string>

namespace frostel::cli {

// "archive migrate" on the shared archive at `address`: its schema created or brought
// forward; "MIGRATED FROM N TO M" or "UP TO DATE AT M" on `out`.
[[nodiscard]] int run_migrate(const std::string& address, std::ostream& out, std::ostream& err);

}  // namespace frostel::cli
