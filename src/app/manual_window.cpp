#include "app/manual_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

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

namespace {

// The manual's window width, and no picture wider than its text, so that it never scrolls
// sideways.
constexpr int kWindowWidth = 820;
constexpr int kWidestPicture = 720;

void fit_pictures(QTextBrowser& browser) {
    QTextDocument& document = *browser.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto part = block.begin(); !part.atEnd(); ++part) {
            const QTextFragment fragment = part.fragment();
            QTextImageFormat picture = fragment.charFormat().toImageFormat();
            const QImage image =
                picture.isValid()
                    ? browser.loadResource(QTextDocument::ImageResource, QUrl(picture.name()))
                          .value<QImage>()
                    : QImage();
            if (image.width() <= kWidestPicture) {
                continue;
            }
            picture.setWidth(kWidestPicture);
            picture.setHeight(static_cast<double>(image.height()) * kWidestPicture / image.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
    }
}

}  // namespace

ManualWindow::ManualWindow(const QStringList& locations, QWidget* parent) : QTextBrowser(parent) {
    setObjectName("manual");
    setWindowTitle(tr("Frostel - User's Manual"));
    setOpenExternalLinks(true);
    resize(kWindowWidth, 720);
    for (const QString& location : locations) {
        QFile file(location);
        if (file.open(QIODevice::ReadOnly)) {
            // Pictures the manual names are found beside it.
            setSearchPaths({QFileInfo(location).absolutePath()});
            setMarkdown(manual_text(QString::fromUtf8(file.readAll())));
            fit_pictures(*this);
            return;
        }
    }
    setPlainText(tr("The manual was not found. It is installed as share/frostel/manual.md "
                    "beside the program's bin folder; looked for:\n%1")
                     .arg(locations.join(QLatin1Char('\n'))));
}

}  // namespace frostel::app
