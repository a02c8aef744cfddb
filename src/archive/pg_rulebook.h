#pragma once

#include <QStringList>

namespace frostel::archive {

// The rules the server shares with the program, each written once in SQL as the program's C++
// has it: the chain's row hash, the record digest and clock line, limits values, person ids and
// full names, the password policy and name folding. Helpers for the server's own functions;
// none is granted to clients.
[[nodiscard]] QStringList pg_rulebook_functions();

}  // namespace frostel::archive
