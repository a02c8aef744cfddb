#include "platform/archive_setting.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryFile>

#include "platform/qt_whole_file.h"

namespace frostel::platform {

namespace {

const QString kKey = QStringLiteral("shared_archive");

// USER:PASSWORD@ before the host, or a password (or a key's, sslpassword) among the
// parameters or the keyword=value settings.
bool carries_password(const QString& location) {
    static const QRegularExpression kPassword(
        QStringLiteral("^postgres(ql)?://[^/@?]*:[^/@?]*@|(^|[?&\\s])(ssl)?password\\s*="));
    return kPassword.match(location).hasMatch();
}

}  // namespace

QString read_archive_setting(const QString& program_folder) {
    const QSettings settings(QDir(program_folder).filePath(kArchiveSettingFileName),
                             QSettings::IniFormat);
    return settings.value(kKey).toString().trimmed();
}

bool write_archive_setting(const QString& program_folder, const QString& location) {
    if (carries_password(location)) {
        return false;
    }
    // QSettings writes in place: its text is made in a draft and then written whole.
    QTemporaryFile draft(QDir(program_folder).filePath(QStringLiteral("archive-XXXXXX.ini")));
    if (!draft.open()) {
        return false;
    }
    draft.close();
    {
        QSettings settings(draft.fileName(), QSettings::IniFormat);
        settings.setValue(kKey, location.trimmed());
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            return false;
        }
    }
    QFile text(draft.fileName());
    return text.open(QIODevice::ReadOnly) &&
           write_whole_file(QDir(program_folder).filePath(kArchiveSettingFileName), text.readAll());
}

}  // namespace frostel::platform
