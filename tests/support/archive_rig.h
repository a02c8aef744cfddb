#pragma once

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "archive/mission_archive.h"
#include "archive/sqlite_trail.h"
#include "mission/download.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/sim_rig.h"

namespace frostel::test {

// Runs `sql` on the archive file at `path` as another program could, behind the archive's
// back; false when the file does not open or the statement fails.
inline bool change_behind_its_back(const QString& path, const QString& sql) {
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "behind");
        db.setDatabaseName(path);
        done = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase("behind");
    return done;
}

// One byte of a log page in every record changed.
inline const QString kLogByteChanged = QStringLiteral(
    "UPDATE missions SET pages = CAST(substr(pages, 1, 700) || x'00' || substr(pages, 702) AS "
    "BLOB)");

// Real downloads of simulated missions, and a temporary folder for the archive file.
struct ArchiveRig {
    QTemporaryDir folder;
    SimRig sim;
    archive::Stamp stamp{{2026, 2, 1, 9, 0, 0}, "Europe/Berlin", 3600, "test"};

    [[nodiscard]] QString path() const { return folder.filePath(archive::kArchiveFileName); }

    // The mission loaded into the logger with serial `serial`, then downloaded.
    mission::DownloadedMission download(const sim::SimMission& mission,
                                        std::uint64_t serial = 0x0ABCDEF1) {
        sim.logger.set_serial(serial);
        sim::load_mission(sim.logger, mission);
        mission::HeadlessDownloadView view;
        return *mission::download_mission({sim.commands, sim.clock, 1, folder.path().toStdString()},
                                          view);
    }

    // `base` with the first four bytes of its mission text set to `n`: a mission of its own.
    static mission::DownloadedMission variant(mission::DownloadedMission base, std::uint32_t n) {
        for (int i = 0; i < 4; ++i) {
            base.pages.front().bytes[static_cast<std::size_t>(i)] =
                static_cast<link::Byte>(n >> (8 * i));
        }
        base.header = *mission::decode_recorded_header(base.header.logger_id, base.pages);
        return base;
    }

    // An archive at `path` of `records` missions, then damaged in the middle of the file, as
    // a failing disk would: the start of the file still reads as a database.
    void damaged_archive(const QString& path, std::uint32_t records) {
        {
            const mission::DownloadedMission base =
                download(mission("Damaged", {2026, 4, 1, 6, 0, 0}, 500));
            archive::MissionArchive archive(path);
            for (std::uint32_t n = 0; n < records; ++n) {
                (void)archive.archive(variant(base, n), stamp);
            }
        }
        QFile file(path);
        if (file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2 / 4096 * 4096)) {
            file.write(QByteArray(16 * 4096, '\x5a'));
        }
    }

    // A mission of `samples` 8-bit readings from `start`, its text `text`.
    static sim::SimMission mission(const std::string& text, platform::LocalDateTime start,
                                   int samples) {
        sim::SimMission m;
        m.mission_text = text;
        m.start = start;
        for (int i = 0; i < samples; ++i) {
            m.temperatures.push_back(4.0 + (i % 9) * 0.5);
        }
        return m;
    }
};

}  // namespace frostel::test
