#pragma once

#include <QSqlDatabase>
#include <QString>

namespace frostel::archive {

// Whether writing `output` would write over the archive file at `archive` or a file SQLite
// keeps beside it (-wal, -shm, -journal): the two compared as the file system reaches them,
// every symbolic link followed (of a file not there yet too) and a hard link known by its
// file. False for a shared archive's address.
[[nodiscard]] bool is_archive_file(const QString& output, const QString& archive);

// Why an archive file at `path` that has no accounts may not be used: a file set aside beside
// it as damaged had accounts, and anyone could turn them on again in a new one. Where a file
// set aside cannot be read, the mark kept beside the archive (mark_accounts) says whether the
// archive had accounts. Empty when it may be used.
[[nodiscard]] QString accounts_left_behind(const QString& path);

// Keeps beside the archive file at `path` whether it has accounts on, for when the file itself
// can no longer be read.
void mark_accounts(const QString& path, bool on);

// Run on opening the archive file at `path` (open as `db`): when `writes`, marks whether it
// has accounts (mark_accounts); why it may not be used when it has none (see
// accounts_left_behind), empty when it may.
[[nodiscard]] QString accounts_kept(QSqlDatabase& db, const QString& path, bool writes);

}  // namespace frostel::archive
