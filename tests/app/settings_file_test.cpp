#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/load_phase.h"
#include "tests/support/window_support.h"

namespace frostel::app {
namespace {

using test::file_bytes;

// How a file reads and writes back is also tested through the main window's start-up and
// port search; here the forms the window's cases do not reach.
TEST(SettingsFile, LinesAreTakenWholeThePortKeepsItsFormAndFoldersTheirEncoding) {
    const platform::Settings read =
        platform::parse_settings(" English \n C:\\with blanks \r 31 \r\nextra\r\n");
    EXPECT_EQ(read.language_name, " English ");
    EXPECT_EQ(read.data_folder, " C:\\with blanks ");
    EXPECT_EQ(read.comm_port_number.line(), " 31 ");
    EXPECT_EQ(read.comm_port_number.number(), 31);
    EXPECT_EQ(platform::parse_settings(""), platform::Settings{});

    EXPECT_EQ(platform::CommPortNumber::as_read("  12  ").number(), 12);
    for (const char* not_a_port : {"COM3", "1 2", ""}) {
        EXPECT_EQ(platform::CommPortNumber::as_read(not_a_port).number(), std::nullopt)
            << not_a_port;
    }

    QTemporaryDir folder;
    const QString path = folder.filePath("SETUP.FRG");
    const platform::Settings settings{"English", QString::fromUtf8("/data/k\xc3\xb8lerum"),
                                      platform::CommPortNumber::chosen(30)};
    ASSERT_TRUE(platform::write_settings_file(path, settings));
    EXPECT_EQ(file_bytes(path),
              "English\r\n" + QFile::encodeName(settings.data_folder) + "\r\n 30 \r\n");
    EXPECT_EQ(platform::read_settings_file(path).data_folder, settings.data_folder);
}

TEST(LoadPhase, FirstRunWritesTheMarkerStartsTheInstallerAndEndsUnlessItCannotStart) {
    QTemporaryDir folder;
    EXPECT_FALSE(driver_installer_ran(folder.path()));
    test::RecordingLauncher launcher;
    launcher.can_start = true;
    EXPECT_EQ(run_load_phase(folder.path(), launcher), LoadOutcome::kEndProgram);
    EXPECT_EQ(file_bytes(folder.filePath("install.usb")), "USB\r\n");
    EXPECT_EQ(launcher.started, QStringList{folder.filePath("CP210x_Drivers.exe")});
    // The second run goes straight to the window.
    EXPECT_EQ(run_load_phase(folder.path(), launcher), LoadOutcome::kShowMainWindow);
    EXPECT_EQ(launcher.started.size(), 1);

    QTemporaryDir no_installer;
    launcher.can_start = false;
    EXPECT_EQ(run_load_phase(no_installer.path(), launcher), LoadOutcome::kShowMainWindow);
    EXPECT_TRUE(driver_installer_ran(no_installer.path()));

    // Only a first line of exactly "USB" is the marker.
    for (const QByteArray& content :
         {QByteArray("usb\r\n"), QByteArray("USB \r\n"), QByteArray(), QByteArray("USB\r\nx")}) {
        QFile marker(no_installer.filePath(kInstallMarkerFileName));
        ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        marker.write(content);
        marker.close();
        EXPECT_EQ(driver_installer_ran(no_installer.path()), content.startsWith("USB\r\n"))
            << content.constData();
    }
}

}  // namespace
}  // namespace frostel::app
