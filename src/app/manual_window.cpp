#include "app/manual_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace frostel::app {

QString manual_text(const QString& readme) {
    static const QRegularExpression kUsingIt(QStringLiteral("^## Using it[ \\t]*$"),
                                             QRegularExpression::MultilineOption);
    const QRegularExpressionMatch heading = kUsingIt.match(readme);
    return heading.hasMatch() ? readme.mid(heading.capturedStart()) : readme;
}

QStringList manual_locations(const QString& program_folder) {
    return {QDir(program_folder).filePath(QStringLiteral("../share/frostel/manual.md")),
            QStringLiteral(FROSTEL_SOURCE_README)};
}

ManualWindow::ManualWindow(const QStringList& locations, QWidget* parent) : QTextBrowser(parent) {
    setObjectName("manual");
    setWindowTitle(tr("Frostel - User's Manual"));
    setOpenExternalLinks(true);
    resize(820, 720);
    for (const QString& location : locations) {
        QFile file(location);
        if (file.open(QIODevice::ReadOnly)) {
            // Pictures the manual names are found beside it.
            setSearchPaths({QFileInfo(location).absolutePath()});
            setMarkdown(manual_text(QString::fromUtf8(file.readAll())));
            return;
        }
    }
    setPlainText(tr("The manual was not found. It is installed as share/frostel/manual.md "
                    "beside the program's bin folder; looked for:\n%1")
                     .arg(locations.join(QLatin1Char('\n'))));
}

}  // namespace frostel::app
