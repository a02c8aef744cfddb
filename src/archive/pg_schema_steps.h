#pragma once

#include <QStringList>
#include <vector>

namespace frostel::archive {

// The shared archive's schema, step n taking the server from version n to n + 1; each step's
// statements run in one transaction as the schema's owner. Steps are only ever appended.
[[nodiscard]] const std::vector<QStringList>& pg_schema_steps();

}  // namespace frostel::archive
