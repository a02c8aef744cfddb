#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryFile>

namespace frostel::platform {

bool folder_can_be_written(const QString& folder) {
    // Permission bits alone mislead: root ignores them, a read-only mount does not.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-probe-XXXXXX")));
    return probe.open();
}

QString choose_program_folder(const QString& executable_folder, const QString& per_user_folder,
                              const FolderCheck& can_write) {
    if (can_write(executable_folder)) {
        return executable_folder;
    }
    (void)QDir().mkpath(per_user_folder);
    return per_user_folder;
}

QString program_folder() {
    // Root can write the folder it was installed into, but files kept there would be shared
    // by every user and outside the package's knowledge; an installed copy never keeps them.
    const auto portable = [](const QString& folder) {
        return QDir(folder) != QDir(QStringLiteral(FROSTEL_INSTALL_BINDIR)) &&
               folder_can_be_written(folder);
    };
    return choose_program_folder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation), portable);
}

QString pc_user_at_host() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = qEnvironmentVariable("USERNAME");  // the name Windows gives it
    }
    return user + QLatin1Char('@') + QSysInfo::machineHostName();
}

QString default_data_folder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

}  // namespace frostel::platform
