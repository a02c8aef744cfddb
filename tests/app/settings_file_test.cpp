#include "settings_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "load_phase.h"

namespace frostel::app {
namespace {

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(SettingsFile, ThreeLinesWithCrLfAndTheFormOfThePortKept) {
    const Settings read = parse_settings("Dansk\r\nD:\\missions\r\n3\r\n");
    EXPECT_EQ(read.language_name, "Dansk");
    EXPECT_EQ(read.data_folder, "D:\\missions");
    EXPECT_EQ(read.comm_port_number.number(), 3);
    // A hand-written "3" goes back as it was; a chosen port gets its blanks.
    EXPECT_EQ(format_settings(read), "Dansk\r\nD:\\missions\r\n3\r\n");
    Settings chosen = read;
    chosen.comm_port_number = CommPortNumber::chosen(3);
    EXPECT_EQ(format_settings(chosen), "Dansk\r\nD:\\missions\r\n 3 \r\n");
}

TEST(SettingsFile, MissingAndShortFilesLeaveValuesEmpty) {
    QTemporaryDir folder;
    const Settings missing = read_settings_file(folder.filePath("SETUP.FRG"));
    EXPECT_EQ(missing, Settings{});
    EXPECT_EQ(missing.comm_port_number.number(), std::nullopt);
    EXPECT_EQ(format_settings(missing), "\r\n\r\n\r\n");

    const Settings two_lines = parse_settings("English\r\n/home/cold");
    EXPECT_EQ(two_lines.data_folder, "/home/cold");
    EXPECT_EQ(two_lines.comm_port_number.line(), "");
    EXPECT_EQ(parse_settings("").language_name, "");
}

TEST(SettingsFile, LinesAreTakenWholeWithTheirBlanks) {
    const Settings read = parse_settings(" English \n C:\\with blanks \r 31 \r\nextra\r\n");
    EXPECT_EQ(read.language_name, " English ");
    EXPECT_EQ(read.data_folder, " C:\\with blanks ");
    EXPECT_EQ(read.comm_port_number.line(), " 31 ");
    EXPECT_EQ(read.comm_port_number.number(), 31);
}

TEST(SettingsFile, PortNumberIgnoresBlanksAroundDigitsOnly) {
    EXPECT_EQ(CommPortNumber::as_read("  12  ").number(), 12);
    EXPECT_EQ(CommPortNumber::as_read("COM3").number(), std::nullopt);
    EXPECT_EQ(CommPortNumber::as_read("1 2").number(), std::nullopt);
    EXPECT_EQ(CommPortNumber::as_read("").number(), std::nullopt);
    EXPECT_EQ(CommPortNumber::chosen(7).line(), " 7 ");
}

TEST(SettingsFile, FolderNamesSurviveInTheFileSystemEncoding) {
    QTemporaryDir folder;
    const QString path = folder.filePath("SETUP.FRG");
    Settings settings;
    settings.language_name = "English";
    settings.data_folder = QString::fromUtf8("/data/k\xc3\xb8lerum");
    settings.comm_port_number = CommPortNumber::chosen(30);
    ASSERT_TRUE(write_settings_file(path, settings));
    EXPECT_EQ(file_bytes(path),
              "English\r\n" + QFile::encodeName(settings.data_folder) + "\r\n 30 \r\n");
    EXPECT_EQ(read_settings_file(path).data_folder, settings.data_folder);
}

TEST(InstallMarker, OnlyAFirstLineOfExactlyUsbCounts) {
    QTemporaryDir folder;
    const QString marker = QDir(folder.path()).filePath(kInstallMarkerFileName);
    EXPECT_FALSE(driver_installer_ran(folder.path()));
    for (const QByteArray& wrong : {QByteArray("usb\r\n"), QByteArray("USB \r\n"), QByteArray()}) {
        put_file(marker, wrong);
        EXPECT_FALSE(driver_installer_ran(folder.path())) << wrong.constData();
    }
    put_file(marker, "USB\r\nanything");
    EXPECT_TRUE(driver_installer_ran(folder.path()));
}

struct FakeLauncher final : ProgramLauncher {
    bool can_start = true;
    QStringList started;
    bool start(const QString& program) override {
        started.append(program);
        return can_start;
    }
};

TEST(LoadPhase, FirstRunWritesTheMarkerStartsTheInstallerAndEnds) {
    QTemporaryDir folder;
    FakeLauncher launcher;
    EXPECT_EQ(run_load_phase(folder.path(), launcher), LoadOutcome::kEndProgram);
    EXPECT_EQ(file_bytes(QDir(folder.path()).filePath("install.usb")), "USB\r\n");
    EXPECT_EQ(launcher.started, QStringList{QDir(folder.path()).filePath("CP210x_Drivers.exe")});

    // The second run goes straight to the window.
    EXPECT_EQ(run_load_phase(folder.path(), launcher), LoadOutcome::kShowMainWindow);
    EXPECT_EQ(launcher.started.size(), 1);
}

TEST(LoadPhase, FirstRunWithoutAnInstallerGoesOnToTheWindow) {
    QTemporaryDir folder;
    FakeLauncher launcher;
    launcher.can_start = false;
    EXPECT_EQ(run_load_phase(folder.path(), launcher), LoadOutcome::kShowMainWindow);
    EXPECT_TRUE(driver_installer_ran(folder.path()));
}

}  // namespace
}  // namespace frostel::app
