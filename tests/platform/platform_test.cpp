// The operating system seams on a real file system. POSIX: permissions, symbolic links, and
// on Linux a read-only mount in a private mount namespace.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <tuple>

#ifdef __linux__
#include <sched.h>
#include <sys/mount.h>
#endif

#include "platform/archive_setting.h"
#include "platform/program_folder.h"
#include "platform/whole_file.h"
#include "tests/support/file_text.h"

namespace frostel::platform {
namespace {

namespace fs = std::filesystem;
using test::file_text;

fs::perms permissions_of(const fs::path& path) {
    return fs::status(path).permissions();
}

struct WholeFile : ::testing::Test {
    QTemporaryDir temporary;
    fs::path folder{temporary.path().toStdString()};
};

TEST_F(WholeFile, ReplacesTheFileAndKeepsItsPermissionsWithNothingLeftBeside) {
    const fs::path file = folder / "SETUP.FRG";
    ASSERT_TRUE(write_whole_file(file, "first"));
    for (const fs::perms kept : {fs::perms(0600), fs::perms(0640)}) {
        fs::permissions(file, kept);
        ASSERT_TRUE(write_whole_file(file, "next"));
        EXPECT_EQ(file_text(file), "next");
        EXPECT_EQ(permissions_of(file), kept);
    }
    EXPECT_FALSE(write_whole_file(folder / "no-such-folder" / "x", "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// `write` as an ordinary user: root passes every permission check, so a root test runs it in
// a child that has given up root for good.
bool as_ordinary_user(const std::function<bool()>& write) {
    if (::geteuid() != 0) {
        return write();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        const bool dropped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(dropped && write() ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(WholeFile, AFileTheUserMayNotWriteStaysAndOwnerAndGroupAreKept) {
    fs::permissions(folder, fs::perms::all);
    const fs::path file = folder / "week49.frd";
    ASSERT_TRUE(write_whole_file(file, "old"));
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(write_whole_file(file, "kept"));
        struct stat owned {};
        ASSERT_EQ(::stat(file.c_str(), &owned), 0);
        EXPECT_EQ(owned.st_uid, 65534U);
        EXPECT_EQ(owned.st_gid, 65534U);
    }
    fs::permissions(file, fs::perms(0444));
    EXPECT_FALSE(as_ordinary_user([&] { return write_whole_file(file, "new"); }));
    EXPECT_NE(file_text(file), "new");
    fs::permissions(file, fs::perms(0644));
    EXPECT_TRUE(as_ordinary_user([&] { return write_whole_file(file, "new"); }));
    EXPECT_EQ(file_text(file), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    // The longest names a folder holds save too: the new file's name must fit beside them.
    const fs::path longest = folder / std::string(250, 'n');
    EXPECT_TRUE(write_whole_file(longest, "long"));
    EXPECT_EQ(file_text(longest), "long");
}

TEST_F(WholeFile, WritesThroughSymbolicLinksAndKeepsThem) {
    fs::create_directory(folder / "data");
    const fs::path target = folder / "data" / "standard.tee";
    ASSERT_TRUE(write_whole_file(target, "old"));
    fs::permissions(target, fs::perms(0600));
    fs::create_symlink("data/standard.tee", folder / "relative");
    fs::create_symlink(folder / "relative", folder / "chained");
    fs::create_symlink(folder / "data" / "made-by-write", folder / "dangling");
    fs::create_symlink("loop", folder / "loop");

    ASSERT_TRUE(write_whole_file(folder / "chained", "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "chained"));
    EXPECT_TRUE(fs::is_symlink(folder / "relative"));
    EXPECT_EQ(file_text(target), "new");
    EXPECT_EQ(permissions_of(target), fs::perms(0600));

    ASSERT_TRUE(write_whole_file(folder / "dangling", "created"));
    EXPECT_TRUE(fs::is_symlink(folder / "dangling"));
    EXPECT_EQ(file_text(folder / "data" / "made-by-write"), "created");
    EXPECT_FALSE(write_whole_file(folder / "loop", "x"));
}

TEST(ProgramFolder, TheExecutablesFolderWhenPortableElseThePerUserFolderMadeOnFirstUse) {
    QTemporaryDir temporary;
    const QString executable_folder = temporary.filePath(QStringLiteral("bin"));
    const QString home = temporary.filePath(QStringLiteral("home"));
    const QString per_user = home + QStringLiteral("/.config/frostel");
    const auto portable = [](const QString&) { return true; };
    const auto installed = [](const QString&) { return false; };
    EXPECT_EQ(choose_program_folder(executable_folder, per_user, home, portable).path,
              executable_folder);
    EXPECT_FALSE(QDir(per_user).exists());
    for (int run = 0; run < 2; ++run) {
        const ProgramFolder chosen =
            choose_program_folder(executable_folder, per_user, home, installed);
        EXPECT_EQ(chosen.path, per_user);
        EXPECT_TRUE(chosen.problem.isEmpty());
    }

    // No home of the user's own, or none that can be written: said, never "//.config".
    QFile file(temporary.filePath(QStringLiteral("a-file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString under_a_file = file.fileName() + QStringLiteral("/.config/frostel");
    for (const auto& [user_home, folder, problem] :
         {std::tuple{QString(), QStringLiteral("/.config/frostel"), "HOME is not set"},
          {QStringLiteral("/"), QStringLiteral("//.config/frostel"), "HOME is \"/\""},
          {file.fileName(), under_a_file, "cannot be written"}}) {
        const ProgramFolder chosen =
            choose_program_folder(executable_folder, folder, user_home, installed);
        EXPECT_TRUE(chosen.path.isEmpty()) << chosen.path.toStdString();
        EXPECT_TRUE(chosen.problem.contains(QLatin1String(problem)))
            << chosen.problem.toStdString();
    }
    EXPECT_FALSE(QDir(QStringLiteral("/.config/frostel")).exists());

    EXPECT_TRUE(folder_can_be_written(temporary.path()));
    EXPECT_FALSE(folder_can_be_written(temporary.filePath(QStringLiteral("missing"))));
    EXPECT_EQ(QDir(temporary.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("a-file")});
}

// Installed under any prefix (a package's /usr, a build's /usr/local, /opt/x), never portable.
TEST(ProgramFolder, AnInstalledCopyIsKnownByTheDesktopEntryBesideItsFolder) {
    QTemporaryDir temporary;
    const QString prefix = temporary.filePath(QStringLiteral("opt/x"));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    EXPECT_FALSE(is_installed_copy(prefix + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/share/applications")));
    QFile entry(prefix + QStringLiteral("/share/applications/" FROSTEL_DESKTOP_ID ".desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    EXPECT_TRUE(is_installed_copy(prefix + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/tools")));
    EXPECT_FALSE(is_installed_copy(prefix + QStringLiteral("/tools")));
}

// An address with a password, in a URI's user part or parameters or among keyword=value
// settings, never reaches the file.
TEST(ArchiveSetting, KeptInTheProgramFolderWithoutPasswords) {
    QTemporaryDir folder;
    EXPECT_EQ(read_archive_setting(folder.path()), QString());
    const QString uri = QStringLiteral("postgresql://pc1@db.example/frostel?sslmode=require");
    ASSERT_TRUE(write_archive_setting(folder.path(), uri));
    EXPECT_EQ(read_archive_setting(folder.path()), uri);
    for (const char* with_password :
         {"postgresql://pc1:pw@db/f", "postgresql:///f?host=/s&password=pw",
          "host=/s password=pw dbname=f", "password = pw", "service=f sslpassword=pw"}) {
        EXPECT_FALSE(write_archive_setting(folder.path(), QString::fromLatin1(with_password)))
            << with_password;
    }
    EXPECT_EQ(read_archive_setting(folder.path()), uri);
    EXPECT_EQ(file_text(folder.filePath(kArchiveSettingFileName).toStdString()).find("pw"),
              std::string::npos);
    const QString file = QStringLiteral("/srv/a,b;c.sqlite");
    ASSERT_TRUE(write_archive_setting(folder.path(), file));
    EXPECT_EQ(read_archive_setting(folder.path()), file);
    ASSERT_TRUE(write_archive_setting(folder.path(), QString()));
    EXPECT_EQ(read_archive_setting(folder.path()), QString());
}

#ifdef __linux__
// Root passes every permission check, so only a read-only file system shows that the check
// asks the system rather than the permission bits.
TEST(ProgramFolder, AReadOnlyMountIsNotWritableEvenForRoot) {
    QTemporaryDir temporary;
    const QString bin = temporary.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const QByteArray path = QFile::encodeName(bin);
    if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "no bind mount here";
    }
    const bool read_only =
        ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    const bool writable = folder_can_be_written(bin);
    const QString chosen = choose_program_folder(bin, temporary.filePath(QStringLiteral("user")),
                                                 temporary.path(), folder_can_be_written)
                               .path;
    ::umount(path.constData());
    if (!read_only) {
        GTEST_SKIP() << "no read-only remount here";
    }
    EXPECT_FALSE(writable);
    EXPECT_EQ(chosen, temporary.filePath(QStringLiteral("user")));
}
#endif

}  // namespace
}  // namespace frostel::platform
