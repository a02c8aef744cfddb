#include "archive/archive_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <system_error>

#include "archive/pg_address.h"
#include "platform/whole_file.h"

namespace frostel::archive {

namespace {

namespace fs = std::filesystem;

// More symbolic links than this in a row are a loop.
constexpr int kMaxLinks = 40;

// What SQLite adds to an archive file's name for the files it keeps beside it.
constexpr std::array<const char*, 4> kSqliteParts{"", "-wal", "-shm", "-journal"};

// What set_aside_damaged_file adds to a damaged archive file's name.
const QString kSetAsidePattern = QStringLiteral("%1.damaged-*");

const QString kAccountsMark = QStringLiteral(".accounts-on");

std::atomic<int> reads{0};

fs::path native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// `path` as the file system reaches it: every symbolic link followed, also one to a file that
// is not there yet, which a write would make.
fs::path resolved(fs::path path) {
    std::error_code error;
    path = fs::absolute(path, error);
    for (int links = 0; links < kMaxLinks && fs::is_symlink(path, error); ++links) {
        const fs::path target = fs::read_symlink(path, error);
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : canonical;
}

bool same_file(const fs::path& a, const fs::path& b) {
    std::error_code unknown;
    return a == b || fs::equivalent(a, b, unknown);
}

enum class Accounts { kNone, kSome, kUnknown };

Accounts accounts_in(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'people'")) ||
        !query.next()) {
        return Accounts::kUnknown;
    }
    // An archive from before accounts existed had none.
    if (query.value(0).toInt() == 0) {
        return Accounts::kNone;
    }
    if (!query.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM people)")) || !query.next()) {
        return Accounts::kUnknown;
    }
    return query.value(0).toBool() ? Accounts::kSome : Accounts::kNone;
}

// Whether the archive file at `path` has accounts, read without changing it.
Accounts accounts_in(const QString& path) {
    const QString connection = QStringLiteral("frostel-set-aside-%1").arg(++reads);
    Accounts found = Accounts::kUnknown;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            found = accounts_in(db);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return found;
}

}  // namespace

bool is_archive_file(const QString& output, const QString& archive) {
    if (output.isEmpty() || archive.isEmpty() || looks_like_pg_uri(archive.toStdString())) {
        return false;
    }
    const fs::path written = resolved(native(output));
    const fs::path file = resolved(native(archive));
    return std::any_of(kSqliteParts.begin(), kSqliteParts.end(), [&](const char* part) {
        return same_file(written, fs::path(file.native() + part)) ||
               same_file(written, resolved(native(archive + QLatin1String(part))));
    });
}

QString accounts_left_behind(const QString& path) {
    const QFileInfo archive(path);
    const QDir folder = archive.absoluteDir();
    const bool marked = QFile::exists(path + kAccountsMark);
    for (const QString& name : folder.entryList({kSetAsidePattern.arg(archive.fileName())},
                                                QDir::Files | QDir::Hidden, QDir::Name)) {
        // Its journal files went with it.
        if (name.endsWith(QLatin1String("-wal")) || name.endsWith(QLatin1String("-shm"))) {
            continue;
        }
        const QString set_aside = folder.filePath(name);
        const Accounts accounts = accounts_in(set_aside);
        if (accounts == Accounts::kSome || (accounts == Accounts::kUnknown && marked)) {
            return QStringLiteral(
                       "%1 was set aside as damaged and had accounts; no archive without them "
                       "takes its place until an administrator restores that file or moves it "
                       "elsewhere")
                .arg(QDir::toNativeSeparators(set_aside));
        }
    }
    return {};
}

void mark_accounts(const QString& path, bool on) {
    const QString mark = path + kAccountsMark;
    if (QFile::exists(mark) == on) {
        return;
    }
    if (!on) {
        QFile::remove(mark);
        return;
    }
    // Best effort: without it, only a file set aside that can still be read tells.
    (void)platform::write_whole_file(
        native(mark), QStringLiteral("Accounts are on in %1. Should that file be set aside as "
                                     "damaged and unreadable, this mark keeps a new archive "
                                     "from starting without accounts in its place.\n")
                          .arg(QFileInfo(path).fileName())
                          .toStdString());
}

QString accounts_kept(QSqlDatabase& db, const QString& path, bool writes) {
    const Accounts accounts = accounts_in(db);
    if (accounts == Accounts::kUnknown) {
        return {};  // what cannot be read fails where it is read
    }
    if (writes) {
        mark_accounts(path, accounts == Accounts::kSome);
    }
    return accounts == Accounts::kSome ? QString() : accounts_left_behind(path);
}

}  // namespace frostel::archive
