// Closing the main window during a logger operation writes the settings and the template
// and ends the process there: nothing goes on behind the closed window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "datafile/chart_document.h"
#include "support/process.h"

namespace frostel::test {
namespace {

TEST(Exit, ClosingDuringAnyLoggerOperationEndsTheProcessAtOnce) {
    for (const char* operation : {"download", "search", "program"}) {
        QTemporaryDir folder;
        const ProcessResult run =
            run_process({FROSTEL_CLOSE_CHILD, folder.path().toStdString(), operation});
        EXPECT_EQ(run.exit_code, 0) << operation << "\n" << run.err;
        EXPECT_EQ(run.out, "closing\n") << operation;
        QFile settings(QDir(folder.path()).filePath("SETUP.FRG"));
        ASSERT_TRUE(settings.open(QIODevice::ReadOnly)) << operation;
        EXPECT_EQ(settings.readAll(),
                  "English\r\n" + QFile::encodeName(folder.path()) + "\r\n 1 \r\n")
            << operation;
        EXPECT_TRUE(
            datafile::read_chart_document(QDir(folder.path()).filePath("standard.tee")).has_value())
            << operation;
    }
}

}  // namespace
}  // namespace frostel::test
