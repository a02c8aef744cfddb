#include "datafile/data_file.h"

#include "datafile/chart_document.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace frostel::datafile {
namespace {

// Files this process writes cannot grow beyond `bytes` while it lives, as on a full disk;
// the write fails instead of the process being killed.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct DataFile : ::testing::Test {
    QTemporaryDir folder;
    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
};

TEST_F(DataFile, EveryByteComesBackWithEachLineEndedByOneCr) {
    // A text's CR LF read back as one CR is the window's saved pair test.
    const QString name = path("m1.frd");
    ASSERT_TRUE(write_data_file(name, QString()));
    EXPECT_EQ(file_bytes(name), QByteArray("\r\n"));
    EXPECT_EQ(read_data_file(name), QStringLiteral("\r"));

    // The logger's text is raw bytes: zeros, lone LFs and high Latin-1 letters.
    QString text;
    for (int code = 0; code < 256; ++code) {
        if (code != '\r')
            text += QChar(code);
    }
    ASSERT_TRUE(write_data_file(name, text));
    EXPECT_EQ(file_bytes(name).size(), 255 + 2);
    EXPECT_EQ(read_data_file(name), text + QChar('\r'));
    ASSERT_TRUE(write_data_file(name, QStringLiteral("caf\u00e9 \u20ac")));
    EXPECT_EQ(file_bytes(name), QByteArray("caf\xe9 ?\r\n"));

    // Every chosen name gets ".frd" unless it ends in it, so no two share a chart document
    // (the window's tests save "run.49" and open "misstee" beside "mission").
    for (const auto& [chosen, saved] : {std::pair{"week49", "week49.frd"},
                                        {"week49.txt", "week49.txt.frd"},
                                        {"week49.", "week49.frd"},
                                        {"Week49.FRD", "Week49.FRD"}}) {
        EXPECT_EQ(data_file_name(QString::fromLatin1(chosen)), QString::fromLatin1(saved));
    }
}

// Both files of a saved pair: refused unread when oversized.
TEST_F(DataFile, MissingFoldersAndOversizedFilesGiveNothing) {
    EXPECT_FALSE(read_data_file(path("missing.frd")));
    EXPECT_FALSE(read_data_file(folder.path()));
    EXPECT_FALSE(read_chart_document(path("none.tee")));
    EXPECT_FALSE(write_data_file(path("no-such-folder/m.frd"), QStringLiteral("x")));
    EXPECT_FALSE(write_chart_document(path("no-such-folder/m.tee"), ChartDocument{}));
    QFile huge(path("huge"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(kMaxDataFileBytes + 1));
    EXPECT_FALSE(read_data_file(huge.fileName()));
    ASSERT_TRUE(huge.resize(kMaxChartDocumentBytes + 1));
    huge.close();
    EXPECT_FALSE(read_chart_document(huge.fileName()));
}

TEST_F(DataFile, AFullDiskKeepsTheOldDataFileAndChartDocument) {
    const QString data = path("keep.frd");
    const QString chart = path("keep.tee");
    ASSERT_TRUE(write_data_file(data, QStringLiteral("old mission")));
    ChartDocument old_chart;
    old_chart.points.push_back({46000.0, 4.5, "2026-12-01 10:00:00"});
    ASSERT_TRUE(write_chart_document(chart, old_chart));
    ChartDocument new_chart = old_chart;
    for (int i = 0; i < 8192; ++i)
        new_chart.points.push_back({46001.0 + i, 5.0, ""});
    {
        // The disk fills up midway through each new file.
        const FileSizeLimit full_disk(4096);
        EXPECT_FALSE(write_data_file(data, QString(8192, QLatin1Char('n'))));
        EXPECT_FALSE(write_chart_document(chart, new_chart));
    }
    EXPECT_EQ(file_bytes(data), QByteArray("old mission\r\n"));
    EXPECT_EQ(read_chart_document(chart), old_chart);
    // No half-written temporary is left beside them either.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("keep.frd"), QStringLiteral("keep.tee")}));
}

}  // namespace
}  // namespace frostel::datafile
