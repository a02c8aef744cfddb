#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "platform/os_user.h"

namespace frostel::platform {

bool folder_can_be_written(const QString& folder) {
    // Permission bits alone mislead: root ignores them, a read-only mount does not.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-probe-XXXXXX")));
    return probe.open();
}

bool is_installed_copy(const QString& executable_folder) {
    const QDir folder(executable_folder);
    return folder.dirName() == QStringLiteral("bin") &&
           QFileInfo::exists(folder.filePath(
               QStringLiteral("../share/applications/" FROSTEL_DESKTOP_ID ".desktop")));
}

ProgramFolder choose_program_folder(const QString& executable_folder,
                                    const QString& per_user_folder, const QString& home,
                                    const FolderCheck& portable) {
    if (portable(executable_folder)) {
        return {executable_folder, {}};
    }
    if (home.isEmpty()) {
        return {{},
                QStringLiteral("HOME is not set, so there is no folder for Frostel's own "
                               "files. Set HOME to your home folder.")};
    }
    if (QDir(home) == QDir::root()) {
        return {{},
                QStringLiteral("HOME is \"/\", which is no user's own folder, so there is "
                               "no folder for Frostel's own files. Set HOME to your home "
                               "folder.")};
    }
    if (!QDir().mkpath(per_user_folder) || !folder_can_be_written(per_user_folder)) {
        return {{},
                QStringLiteral("%1 cannot be written, so Frostel cannot keep its own "
                               "files there.")
                    .arg(QDir::toNativeSeparators(per_user_folder))};
    }
    return {per_user_folder, {}};
}

ProgramFolder program_folder() {
    // Root can write the folder it was installed into, but files kept there would be shared
    // by every user and outside the package's knowledge; an installed copy never keeps them.
    const auto portable = [](const QString& folder) {
        return !is_installed_copy(folder) && folder_can_be_written(folder);
    };
    return choose_program_folder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
        qEnvironmentVariable("HOME"), portable);
}

QString pc_user_at_host() {
    return QString::fromStdString(current_os_user().login + '@' + host_name());
}

QString default_data_folder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

}  // namespace frostel::platform
