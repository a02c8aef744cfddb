#include "archive/logger_history.h"

#include "archive/fingerprint.h"
#include "archive/pg_address.h"
#include "platform/local_date_time.h"

namespace frostel::archive {

namespace {

// `lead` and the archive's error as one sentence: a server's lines on one line, one full stop.
std::string with_error(const std::string& lead, const MissionArchive& archive) {
    std::string sentence = lead + archive.error().simplified().toStdString();
    if (sentence.find_last_of(".?!") != sentence.size() - 1) {
        sentence += '.';
    }
    return sentence;
}

}  // namespace

std::optional<std::string> held_mission_question(MissionArchive& archive,
                                                 const mission::HeldMission& mission) {
    // Asked before searching, which would say only that the archive is not open.
    if (!archive.is_open() && looks_like_pg_uri(archive.path().toStdString())) {
        return with_error("The shared archive cannot be reached: ", archive);
    }
    const std::string start = platform::format_iso(mission.start);
    const std::optional<bool> kept = archive.holds(mission.logger_id, start, mission.sample_count);
    if (!kept) {
        return with_error("The archive cannot be checked: ", archive);
    }
    if (*kept) {
        return std::nullopt;
    }
    return "This logger holds " + std::to_string(mission.sample_count) + " samples from " + start +
           " that were never downloaded.";
}

std::optional<ProgrammingRecord> programming_record(const Stamp& stamp, const RunReport& run) {
    if (!run.result || !run.logger_type) {
        return std::nullopt;
    }
    return ProgrammingRecord{
        stamp,
        run.logger_id,
        std::string(1, static_cast<char>(*run.logger_type)),
        run.settings,
        run.written_pages.empty() ? std::string() : mission_fingerprint(run.written_pages),
        *run.result};
}

}  // namespace frostel::archive
