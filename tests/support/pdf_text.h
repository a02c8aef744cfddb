#pragma once

#include <QProcess>
#include <QString>

namespace frostel::test {

// Page `page` of a PDF as poppler's pdftotext lays it out, every run of blanks and line
// breaks as one blank; empty for a page that is not there.
inline QString pdf_text(const QString& path, int page = 1) {
    QProcess pdftotext;
    const QString number = QString::number(page);
    pdftotext.start("pdftotext", {"-layout", "-f", number, "-l", number, path, "-"});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

}  // namespace frostel::test
