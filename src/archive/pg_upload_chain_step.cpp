#include "archive/pg_upload_chain_step.h"

#include "archive/pg_schema_steps.h"
#include "archive/pg_trust_step.h"

namespace frostel::archive {

namespace {

// An item comes with the rows of the PC's trail from the last item taken from that archive
// (from its first row, the first time) to the trail's head, each with its hash: the server
// chains them itself, so an item edited on the PC and given a new hash of its own is refused
// unless every row after it, taken or not, was rewritten too.
constexpr const char* kBeginUpload = R"sql(DECLARE
  v_item jsonb;
  v_hash text;
  v_utc_ms bigint;
  v_time timestamptz;
  v_last uploads;
  v_previous text;
  v_expected bigint;
  v_row jsonb;
BEGIN
  PERFORM session_of_connection();
  IF jsonb_typeof(p_chain) IS DISTINCT FROM 'array' THEN
    RAISE EXCEPTION 'an item comes with the rows of its trail' USING ERRCODE = '22023';
  END IF;
  SELECT value INTO v_item FROM jsonb_array_elements(p_chain)
  WHERE value ->> 'sequence' = p_local_sequence::text;
  IF v_item IS NULL THEN
    RAISE EXCEPTION 'event % of archive % comes without its row', p_local_sequence, p_archive
      USING ERRCODE = '22023';
  END IF;
  v_hash := v_item ->> 'hash';
  v_utc_ms := (v_item ->> 'utc_ms')::bigint;
  BEGIN
    v_time := p_local_time::timestamptz;
  EXCEPTION WHEN others THEN
    v_time := NULL;
  END;
  IF coalesce(v_hash, '') !~ '^[0-9a-f]{64}$' OR v_time IS NULL
     OR utc_ms_of(v_time) IS DISTINCT FROM v_utc_ms
     OR v_utc_ms > utc_ms_of(clock_timestamp()) + 86400000
     OR coalesce(v_item ->> 'user_id', '') ~ '[[:cntrl:]]'
     OR coalesce(v_item ->> 'workstation', '') ~ '[[:cntrl:]]'
  THEN
    RAISE EXCEPTION 'event % of archive % has a time, a hash or a person this program does'
                    ' not write', p_local_sequence, p_archive USING ERRCODE = '22023';
  END IF;
  IF EXISTS (SELECT 1 FROM uploads WHERE local_hash = v_hash) THEN
    RETURN false;
  END IF;
  IF EXISTS (SELECT 1 FROM uploads WHERE archive = p_archive AND local_sequence >= p_local_sequence)
  THEN
    RAISE EXCEPTION 'event % of archive % was taken before with other content: that archive'
                    ' file was copied to another PC', p_local_sequence, p_archive
      USING ERRCODE = '22023';
  END IF;
  SELECT * INTO v_last FROM uploads WHERE archive = p_archive
  ORDER BY local_sequence DESC LIMIT 1;
  v_previous := coalesce(v_last.local_hash, repeat('0', 64));
  v_expected := coalesce(v_last.local_sequence, 0) + 1;
  FOR v_row IN SELECT value FROM jsonb_array_elements(p_chain) LOOP
    IF (v_row ->> 'sequence')::bigint IS DISTINCT FROM v_expected
       OR chain_hash(v_previous, v_expected, (v_row ->> 'utc_ms')::bigint,
                     v_row ->> 'user_id', v_row ->> 'workstation', v_row ->> 'action',
                     v_row ->> 'object', v_row ->> 'old', v_row ->> 'new', v_row ->> 'reason')
          IS DISTINCT FROM v_row ->> 'hash' THEN
      RAISE EXCEPTION 'event % of archive % does not follow the events before it: that'
                      ' trail was edited', v_expected, p_archive USING ERRCODE = '22023';
    END IF;
    v_previous := v_row ->> 'hash';
    v_expected := v_expected + 1;
  END LOOP;
  INSERT INTO uploads (archive, local_sequence, local_hash, local_record, utc_ms, local_time,
                       user_id, full_name, workstation, taken_in, received_utc_ms,
                       local_action, local_object, local_old, local_new, local_reason)
  VALUES (p_archive, p_local_sequence, v_hash, p_local_record, v_utc_ms, p_local_time,
          v_item ->> 'user_id', coalesce(p_full_name, ''), v_item ->> 'workstation',
          pg_current_xact_id(), utc_ms_of(clock_timestamp()), v_item ->> 'action',
          v_item ->> 'object', v_item ->> 'old', v_item ->> 'new', v_item ->> 'reason');
  RETURN true;
END)sql";

// What an item becomes here is the event the PC chained: the same action, the same pages
// for a download, the same values for a programming run.
constexpr const char* kUploadIsItsEvent = R"sql(
%1 upload_is_its_event() RETURNS trigger LANGUAGE plpgsql
SET search_path = public, pg_temp AS $$
DECLARE
  e audit_events;
BEGIN
  IF NEW.event_sequence IS NULL OR NEW.event_sequence = 0 OR OLD.local_action IS NULL THEN
    RETURN NEW;
  END IF;
  SELECT * INTO e FROM audit_events WHERE sequence = NEW.event_sequence;
  IF e.action IS DISTINCT FROM OLD.local_action
     OR (e.action = 'download-archived'
         AND split_part(e.new_value, E'\n', 1) IS DISTINCT FROM split_part(OLD.local_new, E'\n', 1))%2
     OR (e.action = 'programming-run'
         AND (e.object, e.old_value, e.new_value)
             IS DISTINCT FROM (OLD.local_object, OLD.local_old, OLD.local_new)) THEN
    RAISE EXCEPTION 'event % of archive % is not what its PC entered', OLD.local_sequence,
      OLD.archive USING ERRCODE = '22023';
  END IF;
  RETURN NEW;
END $$)sql";

}  // namespace

QString upload_is_its_event(const QString& download_also) {
    return QString::fromLatin1(kUploadIsItsEvent)
        .arg(download_also.isEmpty() ? QStringLiteral("CREATE FUNCTION")
                                     : QStringLiteral("CREATE OR REPLACE FUNCTION"),
             download_also);
}

QStringList pg_upload_chain_step() {
    return {
        QStringLiteral("ALTER TABLE uploads ADD COLUMN local_action text,"
                       " ADD COLUMN local_object text, ADD COLUMN local_old text,"
                       " ADD COLUMN local_new text, ADD COLUMN local_reason text"),
        upload_is_its_event({}),
        // Without accounts the person an item names is the PC's word, as a session's is.
        session_event_of_uploads("v_upload.user_id || ' (claimed by ' || session_user || ')'"),
        QStringLiteral("CREATE TRIGGER uploads_are_their_events BEFORE UPDATE OF event_sequence"
                       " ON uploads FOR EACH ROW EXECUTE FUNCTION upload_is_its_event()"),
        client_function("upload_resumes_after(p_archive text) RETURNS bigint",
                        QStringLiteral(R"sql(BEGIN
  PERFORM session_of_connection();
  RETURN coalesce((SELECT max(local_sequence) FROM uploads WHERE archive = p_archive), 0);
END)sql")),
        QStringLiteral("DROP FUNCTION begin_upload(text, bigint, text, bigint, bigint, text,"
                       " text, text, text)"),
        client_function("begin_upload(p_archive text, p_local_sequence bigint, p_chain jsonb,"
                        " p_local_record bigint, p_local_time text, p_full_name text)"
                        " RETURNS boolean",
                        QLatin1String(kBeginUpload)),
        // The PC's other events are taken only as it chained them.
        QStringLiteral("ALTER FUNCTION upload_event(text, text, text, text, text)"
                       " RENAME TO upload_event_of_item"),
        QStringLiteral("ALTER FUNCTION upload_event_of_item(text, text, text, text, text)"
                       " SECURITY INVOKER"),
        client_function("upload_event(p_action text, p_object text, p_old text, p_new text,"
                        " p_reason text) RETURNS bigint",
                        QStringLiteral(R"sql(DECLARE
  v_upload uploads := upload_in_progress();
BEGIN
  IF v_upload.local_action IS NOT NULL
     AND (p_action, p_object, p_old, p_new, p_reason) IS DISTINCT FROM
         (v_upload.local_action, v_upload.local_object, v_upload.local_old, v_upload.local_new,
          v_upload.local_reason) THEN
    RAISE EXCEPTION 'event % of archive % is not what its PC entered',
      v_upload.local_sequence, v_upload.archive USING ERRCODE = '22023';
  END IF;
  RETURN upload_event_of_item(p_action, p_object, p_old, p_new, p_reason);
END)sql")),
    };
}

}  // namespace frostel::archive
