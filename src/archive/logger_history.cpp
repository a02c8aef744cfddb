#include "archive/logger_history.h"

#include "archive/fingerprint.h"
#include "platform/local_date_time.h"
#include "programming/mission_image.h"

namespace frostel::archive {

std::optional<std::string> held_mission_question(MissionArchive& archive,
                                                 const programming::HeldMission& mission) {
    const std::optional<bool> kept =
        archive.holds(mission.logger_id, platform::format_iso(mission.start), mission.sample_count);
    if (!kept) {
        return "The archive cannot be checked: " + archive.error().toStdString() + ".";
    }
    return *kept ? std::nullopt : std::optional(programming::never_downloaded_question(mission));
}

std::optional<ProgrammingRecord> programming_record(
    const Stamp& stamp, const programming::ProgrammingSettings& settings,
    const programming::RunResult& result) {
    if (!result.line || !result.logger_type) {
        return std::nullopt;
    }
    return ProgrammingRecord{stamp,
                             result.logger_id,
                             std::string(1, static_cast<char>(*result.logger_type)),
                             programming::setting_rows(settings),
                             result.image
                                 ? image_fingerprint(*result.image, programming::kFirstWrittenPage,
                                                     programming::kLastWrittenPage)
                                 : std::string(),
                             result.line->text};
}

}  // namespace frostel::archive
