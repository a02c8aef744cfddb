#pragma once

#include <QProcess>
#include <QRegularExpression>
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

// The fingerprint of the memory pages a report names; empty when it names none. A report's
// text is checked once against its reference; elsewhere this says which mission it is of.
inline QString report_fingerprint(const QString& path) {
    static const QRegularExpression line(
        "Mission fingerprint \\(SHA-256 of the downloaded memory pages\\): ([0-9a-f]{64})");
    return line.match(pdf_text(path)).captured(1);
}

}  // namespace frostel::test
