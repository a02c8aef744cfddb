#include "archive/pg_reader_device_step.h"

#include "archive/pg_schema_steps.h"
#include "archive/pg_trust_step.h"
#include "archive/pg_upload_chain_step.h"

namespace frostel::archive {

namespace {

// The reason a download's event enters for the device a client names: nothing for none, and
// a refusal for anything but one line of printable ASCII of at most 200 characters, so that
// a client cannot write text of its own choosing into the trail.
constexpr const char* kReadThrough = R"sql(
CREATE FUNCTION read_through(p_device text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF coalesce(p_device, '') = '' THEN
    RETURN '';
  END IF;
  IF p_device !~ '^[ -~]+$' OR length(p_device) > 200 THEN
    RAISE EXCEPTION 'the reader''s device is not one printable line of at most 200 characters'
      USING ERRCODE = '22023';
  END IF;
  RETURN 'read through ' || p_device;
END $$)sql";

// The device a download's event names, also after the note of an outbox's upload.
constexpr const char* kDeviceReadThrough = R"sql(
CREATE FUNCTION device_read_through(p_reason text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN p_reason LIKE 'read through %' THEN substr(p_reason, 14)
              WHEN strpos(p_reason, ': read through ') > 0
              THEN substr(p_reason, strpos(p_reason, ': read through ') + 15)
              ELSE '' END $$)sql";

// An outbox's download names the device its PC's event names, or none where that names none.
constexpr const char* kSameDevice = R"sql(
     OR (e.action = 'download-archived'
         AND device_read_through(e.reason)
             IS DISTINCT FROM device_read_through(coalesce(OLD.local_reason, ''))))sql";

}  // namespace

QStringList pg_reader_device_step() {
    const QString reason = QStringLiteral("read_through(p_device)");
    const QString argument = QStringLiteral(", p_device");
    const QByteArray archive_head =
        QByteArray(kArchiveMissionHead)
            .replace(") RETURNS bigint", ", p_device text) RETURNS bigint");
    return {
        QLatin1String(kReadThrough),
        QLatin1String(kDeviceReadThrough),
        noted_unless_taken_function(QStringLiteral(", p_device text"), reason),
        // Beside the functions without the device, which enter none, for a client that
        // knows none.
        client_function(archive_head.constData(), archive_mission_checked(argument, reason)),
        client_function("note_download_again(p_record bigint, p_pages bytea,"
                        " p_downloaded_utc_ms bigint, p_time_zone text,"
                        " p_utc_offset_seconds bigint, p_record_digest text, p_device text)"
                        " RETURNS bigint",
                        note_download_again_checked(argument)),
        upload_is_its_event(QLatin1String(kSameDevice)),
    };
}

}  // namespace frostel::archive
