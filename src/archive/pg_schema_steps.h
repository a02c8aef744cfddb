#pragma once

#include <QStringList>
#include <vector>

namespace frostel::archive {

// The shared archive's schema, step n taking the server from version n to n + 1; each step's
// statements run in one transaction as the schema's owner. Steps are only ever appended.
[[nodiscard]] const std::vector<QStringList>& pg_schema_steps();

// A function for clients: it runs as the schema's owner, with a search path nobody else
// can add to.
[[nodiscard]] QString client_function(const char* head, const QString& body,
                                      const char* create = "CREATE FUNCTION");
// The same, in place of the function of that name and arguments, keeping who may call it.
[[nodiscard]] QString client_function_replaced(const char* head, const QString& body);
// Finds the record of the same download kept again (its pages, every column and its first
// event as entered), `noted` on it; for the archiving function's body.
[[nodiscard]] QString kept_download_guard(const QString& noted);

// A new record, or a later download of one (`p_later_download_of`); the server checks
// that the fingerprint is the pages' and the digest binds them to the download.
inline constexpr const char* kArchiveMissionHead =
    "archive_mission(p_logger_id text, p_logger_type text, p_configuration bigint,"
    " p_start_time text, p_mission_sample_count bigint, p_device_sample_count bigint,"
    " p_sample_count bigint, p_interval_seconds bigint, p_sixteen_bit bigint,"
    " p_alarm_status bigint, p_calibration_offset_tenths bigint, p_mission_text text,"
    " p_first_line text, p_minimum double precision, p_maximum double precision,"
    " p_verdict text, p_downloaded_at text, p_time_zone text,"
    " p_utc_offset_seconds bigint, p_program_version text, p_fingerprint text,"
    " p_content_key text, p_pages bytea, p_later_download_of bigint,"
    " p_downloaded_utc_ms bigint, p_record_digest text, p_derived_by bigint,"
    " p_clock_offset_s bigint, p_clock_source text, p_clock_drift_s bigint,"
    " p_clock_measured_offset_s bigint, p_clock_zone text) RETURNS bigint";

// What the event that makes a record enters: its fingerprint and digest, and, since the
// trail binds the clock too, the logger's clock in the line the client's Verify compares.
inline constexpr const char* kEnteredWithoutClock =
    R"sql(p_fingerprint || E'\n' || p_record_digest)sql";
inline constexpr const char* kEnteredWithClock =
    R"sql(p_fingerprint || E'\n' || p_record_digest || E'\n'
    || CASE WHEN p_clock_source IS NULL THEN '' ELSE format('%s %s %s %s %s', p_clock_source,
         p_clock_offset_s, p_clock_drift_s, p_clock_measured_offset_s, p_clock_zone) END)sql";

// The archiving function's end: the record kept, and its event entering %1 for the reason %2.
inline constexpr const char* kArchiveMissionInsert = R"sql(
  INSERT INTO missions (logger_id, logger_type, configuration, start_time, mission_sample_count,
    device_sample_count, sample_count, interval_seconds, sixteen_bit, alarm_status,
    calibration_offset_tenths, mission_text, first_line, minimum, maximum, verdict,
    downloaded_at, time_zone, utc_offset_seconds, program_version, fingerprint, content_key,
    pages, later_download_of, last_downloaded_at, downloaded_utc_ms, record_digest, derived_by,
    clock_offset_s, clock_source, clock_drift_s, clock_measured_offset_s, clock_zone)
  VALUES (p_logger_id, p_logger_type, p_configuration, p_start_time, p_mission_sample_count,
    p_device_sample_count, p_sample_count, p_interval_seconds, p_sixteen_bit, p_alarm_status,
    p_calibration_offset_tenths, p_mission_text, p_first_line, p_minimum, p_maximum, p_verdict,
    p_downloaded_at, p_time_zone, p_utc_offset_seconds, p_program_version, p_fingerprint,
    p_content_key, p_pages, p_later_download_of, p_downloaded_at, p_downloaded_utc_ms,
    p_record_digest, p_derived_by, p_clock_offset_s, p_clock_source, p_clock_drift_s,
    p_clock_measured_offset_s, p_clock_zone)
  RETURNING id INTO v_id;
  PERFORM session_event('download-archived', 'record:' || v_id, '',
                        %1, %2);
  RETURN v_id;
END)sql";

inline constexpr const char* kSignRecordHead =
    "sign_record(p_record bigint, p_meaning text, p_signed_value text, p_comment text,"
    " p_password text, OUT outcome text, OUT why text)";

}  // namespace frostel::archive
