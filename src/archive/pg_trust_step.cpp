#include "archive/pg_trust_step.h"

#include "archive/pg_schema_steps.h"
#include "archive/store_queries.h"

namespace frostel::archive {

namespace {

// A client can roll back any transaction it calls a function in, and with it every row a
// refused sign-in wrote. Wrong passwords are therefore counted in sequences, which no
// rollback takes back: one per person, and one for ids nobody has. The rows and events follow
// them in the next transaction that is kept.
QStringList wrong_passwords_that_last() {
    return {
        QStringLiteral("CREATE SEQUENCE unknown_id_refusals"),
        // How many of those the trail has entered.
        QStringLiteral("CREATE TABLE unknown_id_refusals_entered (count bigint NOT NULL)"),
        QStringLiteral("INSERT INTO unknown_id_refusals_entered VALUES (0)"),
        QStringLiteral(R"sql(
CREATE FUNCTION failure_counter(p_id text) RETURNS regclass LANGUAGE sql STABLE
SET search_path = public, pg_temp AS $$ SELECT format('%I', 'failures_of_' || md5(p_id))::regclass $$)sql"),
        QStringLiteral(R"sql(
CREATE FUNCTION make_failure_counter(p_id text, p_failures bigint) RETURNS void
LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
BEGIN
  EXECUTE format('CREATE SEQUENCE %I', 'failures_of_' || md5(p_id));
  IF p_failures > 0 THEN
    PERFORM setval(failure_counter(p_id), p_failures);
  END IF;
END $$)sql"),
        QStringLiteral("SELECT make_failure_counter(id, failures) FROM people"),
        // Wrong passwords in a row since the last right one, whatever became of their rows.
        QStringLiteral(R"sql(
CREATE FUNCTION failures_counted(p_id text) RETURNS bigint LANGUAGE sql VOLATILE
SET search_path = public, pg_temp AS $$
  SELECT coalesce(pg_sequence_last_value(failure_counter(p_id)), 0) $$)sql"),
        QStringLiteral(R"sql(
CREATE FUNCTION forget_failures(p_id text) RETURNS void LANGUAGE sql VOLATILE
SET search_path = public, pg_temp AS $$ SELECT setval(failure_counter(p_id), 1, false) $$)sql"),
        // Enters the refusals a caller rolled back: each person's count, their lock at the
        // site's limit, and the sign-ins of ids nobody has.
        QStringLiteral(R"sql(
CREATE FUNCTION settle_refusals() RETURNS void LANGUAGE plpgsql
SET search_path = public, pg_temp AS $$
DECLARE
  v_person people;
  v_counted bigint;
  v_limit bigint := site_setting('failures-before-lock', 5);
  v_unknown bigint;
  v_entered bigint;
BEGIN
  FOR v_person IN SELECT * FROM people WHERE failures_counted(id) > failures ORDER BY id
                  FOR UPDATE LOOP
    v_counted := failures_counted(v_person.id);
    PERFORM chain_event(v_person.id, v_person.full_name, '', 'sign-in-refused',
                        'user:' || v_person.id, '', '',
                        (v_counted - v_person.failures)
                        || ' wrong passwords whose refusal the caller rolled back');
    UPDATE people SET failures = v_counted,
      locked = CASE WHEN v_counted >= v_limit THEN 1 ELSE locked END
    WHERE id = v_person.id;
    IF v_person.locked = 0 AND v_counted >= v_limit THEN
      PERFORM chain_event(v_person.id, v_person.full_name, '', 'account-locked',
                          'user:' || v_person.id, '', '', v_counted || ' wrong passwords in a row');
    END IF;
  END LOOP;
  SELECT count INTO v_entered FROM unknown_id_refusals_entered FOR UPDATE;
  v_unknown := coalesce(pg_sequence_last_value('unknown_id_refusals'), 0);
  IF v_unknown > v_entered THEN
    PERFORM chain_event('', '', '', 'sign-in-refused', 'user:', '', '',
                        (v_unknown - v_entered)
                        || ' sign-ins of ids nobody has whose refusal the caller rolled back');
    UPDATE unknown_id_refusals_entered SET count = v_unknown;
  END IF;
END $$)sql"),
        // The attempt is counted before the password is weighed, and every refusal hashes
        // once, so neither a rollback nor the time taken tells an id that exists, is locked or
        // is unknown apart.
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION password_accepted(p_id text, p_password text, p_workstation text)
RETURNS boolean LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
DECLARE
  v_person people;
  v_attempt bigint;
  v_limit bigint := site_setting('failures-before-lock', 5);
  v_matches boolean;
  v_barred text;
BEGIN
  PERFORM settle_refusals();
  SELECT * INTO v_person FROM people WHERE id = p_id FOR UPDATE;
  IF NOT FOUND THEN
    PERFORM nextval('unknown_id_refusals');
    PERFORM crypt(coalesce(p_password, ''), gen_salt('bf', 12));
    UPDATE unknown_id_refusals_entered SET count = count + 1;
    PERFORM chain_event(id_as_stored(p_id), '', p_workstation, 'sign-in-refused',
                        'user:' || id_as_stored(p_id), '', '', 'no such person');
    RETURN false;
  END IF;
  v_attempt := nextval(failure_counter(p_id));
  v_matches := crypt(coalesce(p_password, ''), v_person.password_hash) = v_person.password_hash;
  v_barred := CASE WHEN v_person.deactivated <> 0 THEN 'deactivated'
                   WHEN v_person.locked <> 0 OR v_attempt > v_limit THEN 'locked' END;
  IF v_barred IS NULL AND v_matches THEN
    PERFORM forget_failures(p_id);
    UPDATE people SET failures = 0 WHERE id = p_id AND failures <> 0;
    RETURN true;
  END IF;
  UPDATE people SET failures = v_attempt,
    locked = CASE WHEN v_barred IS NULL AND v_attempt >= v_limit THEN 1 ELSE locked END
  WHERE id = p_id;
  PERFORM chain_event(p_id, v_person.full_name, p_workstation, 'sign-in-refused',
                      'user:' || p_id, '', '', coalesce(v_barred, 'wrong password'));
  IF v_barred IS NULL AND v_attempt >= v_limit THEN
    PERFORM chain_event(p_id, v_person.full_name, p_workstation, 'account-locked',
                        'user:' || p_id, '', '', v_attempt || ' wrong passwords in a row');
  END IF;
  RETURN false;
END $$)sql"),
    };
}

// A person's account, and the counter of their wrong passwords with it.
constexpr const char* kNewPerson = R"sql(
  INSERT INTO people (id, full_name, role, password_hash, must_change, created_utc_ms)
  VALUES (p_id, p_full_name, v_role, password_hash_of(v_password), v_must_change,
          utc_ms_of(clock_timestamp()));
  PERFORM make_failure_counter(p_id, 0);)sql";

QStringList accounts_the_owner_turns_on() {
    return {
        // Turning accounts on makes its caller the administrator: the schema owner's act, not
        // a workstation login's.
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION init_accounts(p_id text, p_full_name text, p_password text,
                                         p_workstation text, OUT outcome text, OUT why text)
LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
DECLARE
  v_role text := 'administrator';
  v_password text := p_password;
  v_must_change bigint := 0;
BEGIN
  LOCK TABLE people IN EXCLUSIVE MODE;
  outcome := 'rejected';
  why := CASE WHEN accounts_on() THEN 'accounts are on already'
              ELSE coalesce(person_problem(p_id, p_full_name),
                            password_problem(p_id, p_password)) END;
  IF why IS NOT NULL THEN
    RETURN;
  END IF;)sql") +
            QLatin1String(kNewPerson) + QStringLiteral(R"sql(
  INSERT INTO password_history (person, password_hash, set_utc_ms)
  SELECT id, password_hash, created_utc_ms FROM people WHERE id = p_id;
  PERFORM chain_event(p_id, p_full_name, p_workstation, 'accounts-enabled', 'setting:accounts',
                      'off', 'on', '');
  PERFORM chain_event(p_id, p_full_name, p_workstation, 'account-created', 'user:' || p_id, '',
                      'name=' || p_full_name || E'\nrole=administrator', '');
  outcome := 'done';
  why := '';
END $$)sql"),
        client_function_replaced("add_person(p_id text, p_full_name text, p_role text,"
                                 " p_one_time_password text, OUT outcome text, OUT why text)",
                                 QStringLiteral(R"sql(DECLARE
  v_role text := p_role;
  v_password text := p_one_time_password;
  v_must_change bigint := 1;
BEGIN
  outcome := 'refused';
  why := '';
  IF NOT administrator_now('users add', 'user:' || id_as_stored(p_id)) THEN
    RETURN;
  END IF;
  outcome := 'rejected';
  why := coalesce(person_problem(p_id, p_full_name),
                  CASE WHEN p_role IS NULL
                         OR p_role NOT IN ('operator', 'reviewer', 'approver', 'administrator')
                       THEN 'there is no role ' || coalesce(p_role, '')
                       WHEN EXISTS (SELECT 1 FROM people WHERE id = p_id)
                       THEN 'there is a person ' || p_id || ' already' END);
  IF why IS NOT NULL THEN
    RETURN;
  END IF;)sql") + QLatin1String(kNewPerson) +
                                     QStringLiteral(R"sql(
  PERFORM session_event('account-created', 'user:' || p_id, '',
                        'name=' || p_full_name || E'\nrole=' || p_role, '');
  outcome := 'done';
  why := '';
END)sql")),
        // A refusal names an id that is no person's by its length alone.
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION account_change_problem(p_what text, p_id text, OUT outcome text,
                                                  OUT why text)
LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
BEGIN
  outcome := 'refused';
  why := '';
  IF NOT administrator_now(p_what, 'user:' || id_as_stored(p_id)) THEN
    RETURN;
  END IF;
  outcome := 'rejected';
  IF NOT EXISTS (SELECT 1 FROM people WHERE id = p_id) THEN
    why := 'there is no person ' || p_id;
    RETURN;
  END IF;
  outcome := NULL;
  why := NULL;
END $$)sql"),
        // An unlock or a new one-time password forgets the wrong passwords counted.
        client_function_replaced("reset_password(p_id text, p_one_time_password text,"
                                 " OUT outcome text, OUT why text)",
                                 QStringLiteral(R"sql(BEGIN
  SELECT * INTO outcome, why FROM account_change_problem('users reset', p_id);
  IF outcome IS NULL AND (SELECT deactivated FROM people WHERE id = p_id) <> 0 THEN
    outcome := 'rejected';
    why := p_id || ' is deactivated';
  END IF;
  IF outcome IS NOT NULL THEN
    RETURN;
  END IF;
  UPDATE people SET password_hash = password_hash_of(p_one_time_password), must_change = 1,
                    locked = 0, failures = 0 WHERE id = p_id;
  PERFORM forget_failures(p_id);
  PERFORM session_event('password-reset', 'user:' || p_id, '', '', '');
  outcome := 'done';
  why := '';
END)sql")),
        client_function_replaced("unlock_person(p_id text, OUT outcome text, OUT why text)",
                                 QStringLiteral(R"sql(BEGIN
  SELECT * INTO outcome, why FROM account_change_problem('users unlock', p_id);
  IF outcome IS NULL AND (SELECT locked FROM people WHERE id = p_id) = 0
     AND failures_counted(p_id) < site_setting('failures-before-lock', 5) THEN
    outcome := 'rejected';
    why := p_id || ' is not locked';
  END IF;
  IF outcome IS NOT NULL THEN
    RETURN;
  END IF;
  UPDATE people SET locked = 0, failures = 0 WHERE id = p_id;
  PERFORM forget_failures(p_id);
  PERFORM session_event('account-unlocked', 'user:' || p_id, '', '', '');
  outcome := 'done';
  why := '';
END)sql")),
        // Without accounts a client names its operating-system user, which the server cannot
        // check: the trail says who claimed it.
        client_function_replaced(
            "open_os_session(p_login text, p_full_name text, p_workstation text) RETURNS void",
            QStringLiteral(R"sql(BEGIN
  IF accounts_on() THEN
    RAISE EXCEPTION 'accounts are on: sign in' USING ERRCODE = '28000';
  END IF;
  IF coalesce(p_login, '') !~ '^[^[:cntrl:]]{1,64}$'
     OR coalesce(p_workstation, '') ~ '[[:cntrl:]]' OR length(p_workstation) > 255 THEN
    RAISE EXCEPTION 'no operating-system user or workstation is named so'
      USING ERRCODE = '22023';
  END IF;
  PERFORM open_session('os:' || p_login || ' (claimed by ' || session_user || ')',
                       coalesce(p_full_name, ''), p_workstation, 0);
END)sql")),
    };
}

// A time as a PC shows it: the UTC milliseconds in the PC's offset.
QStringList pc_times() {
    return {
        QStringLiteral(R"sql(
CREATE FUNCTION civil_text(p_utc_ms bigint, p_offset_s bigint) RETURNS text LANGUAGE sql
IMMUTABLE AS $$
  SELECT to_char(to_timestamp(floor(p_utc_ms / 1000.0)) AT TIME ZONE 'UTC'
                 + make_interval(secs => p_offset_s), 'YYYY-MM-DD HH24:MI:SS') $$)sql"),
        QStringLiteral(R"sql(
CREATE FUNCTION offset_time_text(p_utc_ms bigint, p_offset_s bigint) RETURNS text LANGUAGE sql
IMMUTABLE AS $$
  SELECT to_char(to_timestamp(p_utc_ms / 1000.0) AT TIME ZONE 'UTC'
                 + make_interval(secs => p_offset_s), 'YYYY-MM-DD"T"HH24:MI:SS.MS')
         || CASE WHEN p_offset_s < 0 THEN '-' ELSE '+' END
         || to_char(abs(p_offset_s) / 3600, 'FM00') || ':'
         || to_char(abs(p_offset_s) % 3600 / 60, 'FM00') $$)sql"),
    };
}

// The session's event; while an upload is taken, the upload's: at the PC's time where an item
// may carry it, with who did it offline, where and when in its reason. %1: the person the
// event names on a site without accounts.
constexpr const char* kSessionEventOfUploads = R"sql(
CREATE OR REPLACE FUNCTION session_event(p_action text, p_object text, p_old text, p_new text,
                                         p_reason text) RETURNS bigint LANGUAGE plpgsql
SET search_path = public, pg_temp AS $$
DECLARE
  v_session sessions := session_of_connection();
  v_upload uploads := upload_in_progress();
  v_at_pc_time boolean := p_action <> 'limits-set';
  v_accounts boolean := accounts_on();
  v_sequence bigint;
BEGIN
  IF v_upload.archive IS NULL OR p_action NOT IN ('download-archived', 'programming-run',
       'download-not-archived', 'file-written', 'setting-changed', 'verified', 'limits-set') THEN
    RETURN chain_event(v_session.user_id, v_session.full_name, v_session.workstation, p_action,
                       p_object, p_old, p_new, p_reason);
  END IF;
  v_sequence := chain_event_at(
    CASE WHEN v_at_pc_time THEN v_upload.utc_ms END,
    CASE WHEN v_at_pc_time THEN v_upload.local_time END,
    CASE WHEN v_accounts THEN v_session.user_id ELSE %1 END,
    CASE WHEN v_accounts THEN v_session.full_name ELSE v_upload.full_name END,
    CASE WHEN v_accounts THEN v_session.workstation ELSE v_upload.workstation END,
    p_action, p_object, p_old, p_new,
    'kept offline by ' || v_upload.user_id || ' on ' || v_upload.workstation || ' at '
    || v_upload.local_time || ', received ' || offset_time_text(v_upload.received_utc_ms, 0)
    || CASE WHEN coalesce(p_reason, '') <> '' THEN ': ' || p_reason ELSE '' END);
  UPDATE uploads SET event_sequence = v_sequence,
    shared_record = CASE WHEN p_action = 'download-archived'
                         THEN substr(p_object, 8)::bigint END
  WHERE archive = v_upload.archive AND local_sequence = v_upload.local_sequence;
  RETURN v_sequence;
END $$)sql";

// An item of a PC's outbox carries the PC's time only for what was done on it offline, and
// the server's receipt and the person who did it stay beside it; a signature, a limits
// change and an account change are always the server's to date.
QStringList uploads_that_date_only_themselves() {
    return {
        QStringLiteral("ALTER TABLE uploads ADD COLUMN received_utc_ms bigint"),
        QStringLiteral("CREATE INDEX uploads_by_local_hash ON uploads(local_hash)"),
        session_event_of_uploads("v_upload.user_id"),
        // A download is dated by its record digest, not by what the outbox says of it.
        QStringLiteral(R"sql(
CREATE FUNCTION date_upload_by(p_utc_ms bigint, p_offset_s bigint) RETURNS void
LANGUAGE sql SET search_path = public, pg_temp AS $$
  UPDATE uploads SET utc_ms = p_utc_ms, local_time = offset_time_text(p_utc_ms, p_offset_s)
  WHERE taken_in = pg_current_xact_id() AND event_sequence IS NULL $$)sql"),
        // An item is its event in the PC's chain, whose hash no other item has: it is taken
        // once, whatever identity the outbox claims.
        client_function_replaced(
            "begin_upload(p_archive text, p_local_sequence bigint, p_local_hash text,"
            " p_local_record bigint, p_utc_ms bigint, p_local_time text, p_user_id text,"
            " p_full_name text, p_workstation text) RETURNS boolean",
            QStringLiteral(R"sql(DECLARE
  v_time timestamptz;
BEGIN
  PERFORM session_of_connection();
  BEGIN
    v_time := p_local_time::timestamptz;
  EXCEPTION WHEN others THEN
    v_time := NULL;
  END;
  IF coalesce(p_local_hash, '') !~ '^[0-9a-f]{64}$' OR v_time IS NULL
     OR utc_ms_of(v_time) IS DISTINCT FROM p_utc_ms
     OR p_utc_ms > utc_ms_of(clock_timestamp()) + 86400000
     OR coalesce(p_user_id, '') ~ '[[:cntrl:]]' OR coalesce(p_workstation, '') ~ '[[:cntrl:]]'
  THEN
    RAISE EXCEPTION 'event % of archive % has a time, a hash or a person this program does'
                    ' not write', p_local_sequence, p_archive USING ERRCODE = '22023';
  END IF;
  IF EXISTS (SELECT 1 FROM uploads WHERE local_hash = p_local_hash) THEN
    RETURN false;
  END IF;
  INSERT INTO uploads (archive, local_sequence, local_hash, local_record, utc_ms, local_time,
                       user_id, full_name, workstation, taken_in, received_utc_ms)
  VALUES (p_archive, p_local_sequence, p_local_hash, p_local_record, p_utc_ms, p_local_time,
          p_user_id, p_full_name, p_workstation, pg_current_xact_id(),
          utc_ms_of(clock_timestamp()))
  ON CONFLICT DO NOTHING;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'event % of archive % was taken before with other content: that archive'
                    ' file was copied to another PC', p_local_sequence, p_archive
      USING ERRCODE = '22023';
  END IF;
  RETURN true;
END)sql")),
    };
}

}  // namespace

QString archive_mission_checked(const QString& device_argument, const QString& reason) {
    return QStringLiteral(R"sql(DECLARE
  v_id bigint;
BEGIN
  PERFORM session_of_connection();
  IF encode(sha256(p_pages), 'hex') IS DISTINCT FROM p_fingerprint THEN
    RAISE EXCEPTION 'the fingerprint is not the pages'' fingerprint' USING ERRCODE = '22023';
  END IF;
  IF record_digest_of(p_fingerprint, p_logger_id, p_downloaded_utc_ms, p_time_zone,
                      p_utc_offset_seconds) IS DISTINCT FROM p_record_digest THEN
    RAISE EXCEPTION 'the record digest does not bind this download' USING ERRCODE = '22023';
  END IF;
  IF p_downloaded_at IS DISTINCT FROM civil_text(p_downloaded_utc_ms, p_utc_offset_seconds)
     OR p_downloaded_utc_ms > utc_ms_of(clock_timestamp()) + 86400000 THEN
    RAISE EXCEPTION 'the download''s time is not its UTC time in its zone, or is to come'
      USING ERRCODE = '22023';
  END IF;
  PERFORM date_upload_by(p_downloaded_utc_ms, p_utc_offset_seconds);%1)sql")
               .arg(kept_download_guard(
                   QStringLiteral(
                       "PERFORM noted_unless_taken(v_id, p_fingerprint, p_record_digest%1);")
                       .arg(device_argument))) +
           QString::fromLatin1(kArchiveMissionInsert).arg(QLatin1String(kEnteredWithClock), reason);
}

QString noted_unless_taken_function(const QString& device_parameter, const QString& reason) {
    return QStringLiteral(R"sql(
CREATE FUNCTION noted_unless_taken(p_record bigint, p_fingerprint text, p_record_digest text%1)
RETURNS void LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
DECLARE
  v_sequence bigint;
BEGIN
  INSERT INTO downloads_taken VALUES (p_record_digest, p_record) ON CONFLICT DO NOTHING;
  IF NOT FOUND AND (upload_in_progress()).archive IS NOT NULL THEN
    UPDATE uploads SET shared_record = p_record, event_sequence = 0
    WHERE taken_in = pg_current_xact_id() AND event_sequence IS NULL;
    RETURN;
  END IF;
  v_sequence := session_event('download-archived', 'record:' || p_record, '', p_fingerprint, %2);
  UPDATE missions SET download_count = download_count + 1,
    last_downloaded_at = civil_text((SELECT utc_ms FROM audit_events WHERE sequence = v_sequence),
                                    utc_offset_seconds)
  WHERE id = p_record;
END $$)sql")
        .arg(device_parameter, reason);
}

QString note_download_again_checked(const QString& device_argument) {
    return QStringLiteral(R"sql(DECLARE
  m missions;
  v_fingerprint text := encode(sha256(p_pages), 'hex');
BEGIN
  PERFORM session_of_connection();
  SELECT * INTO m FROM missions WHERE id = p_record;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'there is no record %', p_record USING ERRCODE = '22023';
  END IF;
  IF record_digest_of(v_fingerprint, m.logger_id, p_downloaded_utc_ms, p_time_zone,
                      p_utc_offset_seconds) IS DISTINCT FROM p_record_digest
     OR p_downloaded_utc_ms > utc_ms_of(clock_timestamp()) + 86400000 THEN
    RAISE EXCEPTION 'the download is not one of record %''s logger, or is to come', p_record
      USING ERRCODE = '22023';
  END IF;
  PERFORM pg_advisory_xact_lock(hashtext('frostel-download'), hashtext(m.logger_id));
  PERFORM date_upload_by(p_downloaded_utc_ms, p_utc_offset_seconds);
  PERFORM noted_unless_taken(p_record, v_fingerprint, p_record_digest%1);
  RETURN p_record;
END)sql")
        .arg(device_argument);
}

namespace {

// What the server itself finds of a record: its pages, its digest and the events that
// entered it, as the client's Verify weighs them.
constexpr const char* kServerVerification = R"sql(
CREATE FUNCTION server_verification(p_record bigint) RETURNS text LANGUAGE plpgsql STABLE
SET search_path = public, pg_temp AS $$
DECLARE
  m missions;
  v_first audit_events;
  v_lines text[];
BEGIN
  SELECT * INTO m FROM missions WHERE id = p_record;
  IF NOT FOUND THEN
    RETURN 'MISSING';
  END IF;
  SELECT * INTO v_first FROM audit_events WHERE object = 'record:' || p_record
    AND action = 'download-archived' ORDER BY sequence LIMIT 1;
  v_lines := string_to_array(v_first.new_value, E'\n');
  IF v_first.sequence IS NULL OR NOT event_hash_holds(v_first)
     OR encode(sha256(m.pages), 'hex') <> m.fingerprint OR v_lines[1] <> m.fingerprint
     OR m.download_count <> (SELECT count(*) FROM audit_events e
                             WHERE e.object = 'record:' || p_record
                               AND e.action = 'download-archived' AND event_hash_holds(e)) THEN
    RETURN 'ALTERED';
  END IF;
  IF m.record_digest IS NULL THEN
    RETURN 'INTACT (NO RECORD DIGEST)';
  END IF;
  IF v_lines[2] IS DISTINCT FROM m.record_digest
     OR record_digest_of(m.fingerprint, m.logger_id, m.downloaded_utc_ms, m.time_zone,
                         m.utc_offset_seconds) <> m.record_digest THEN
    RETURN 'ALTERED';
  END IF;
  RETURN 'INTACT';
END $$)sql";

// A line a client gives for the trail: no control character, and not endless.
constexpr const char* kPlainLine = R"sql(
CREATE FUNCTION plain_line(p_text text, p_longest int) RETURNS boolean LANGUAGE sql IMMUTABLE
AS $$ SELECT coalesce(p_text, '') !~ '[[:cntrl:]]' AND length(coalesce(p_text, '')) <= p_longest $$)sql";

QStringList checked_records() {
    return {
        QLatin1String(kPlainLine),
        QLatin1String(kServerVerification),
        // Every download taken, by its record digest: the same one an outbox sends again,
        // under whatever identity, is counted once.
        QStringLiteral("CREATE TABLE downloads_taken (record_digest text PRIMARY KEY,"
                       " record bigint NOT NULL)"),
        QStringLiteral("INSERT INTO downloads_taken SELECT record_digest, min(id) FROM missions"
                       " WHERE record_digest IS NOT NULL GROUP BY record_digest"),
        QStringLiteral(R"sql(
CREATE FUNCTION download_taken() RETURNS trigger LANGUAGE plpgsql
SET search_path = public, pg_temp AS $$
BEGIN
  IF NEW.record_digest IS NOT NULL THEN
    INSERT INTO downloads_taken VALUES (NEW.record_digest, NEW.id) ON CONFLICT DO NOTHING;
  END IF;
  RETURN NULL;
END $$)sql"),
        QStringLiteral("CREATE TRIGGER missions_taken AFTER INSERT ON missions"
                       " FOR EACH ROW EXECUTE FUNCTION download_taken()"),
        // A later download of a record's pages, counted on it and dated by the server (or,
        // from an outbox, by its digest); an outbox's download taken before changes nothing.
        noted_unless_taken_function({}, QStringLiteral("''")),
        client_function_replaced(kArchiveMissionHead,
                                 archive_mission_checked({}, QStringLiteral("''"))),
        QStringLiteral("DROP FUNCTION note_download_again(bigint, text, text)"),
        // The same mission downloaded again: the download itself, bound to the record's
        // logger by its digest, not a count and a date taken on trust.
        client_function(
            "note_download_again(p_record bigint, p_pages bytea, p_downloaded_utc_ms bigint,"
            " p_time_zone text, p_utc_offset_seconds bigint, p_record_digest text) RETURNS bigint",
            note_download_again_checked({})),
    };
}

// The events a client may enter by itself, each checked as the program writes it. An event
// that claims a result (verified, derived again) is written by the function that found it.
constexpr const char* kEventProblem = R"sql(
CREATE FUNCTION client_event_problem(p_action text, p_object text, p_old text, p_new text,
                                     p_reason text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE
    WHEN NOT plain_line(p_old, 4096) OR length(coalesce(p_reason, '')) > 4096
    THEN 'its old value is not one line, or its reason is too long'
    WHEN p_action = 'download-not-archived'
    THEN CASE WHEN coalesce(p_object, '') <> '' OR coalesce(p_new, '') <> ''
                OR coalesce(p_reason, '') = '' THEN 'it names no reason alone' END
    WHEN p_action = 'file-written'
    THEN CASE WHEN NOT plain_line(p_object, 4096) OR coalesce(p_object, '') !~ '^file:.'
                OR coalesce(p_new, '') !~ '^[A-Za-z ]{1,32}\n([0-9a-f]{64})?$'
              THEN 'it names no file, kind and fingerprint' END
    WHEN p_action = 'setting-changed'
    THEN CASE WHEN p_object IS NULL
                OR p_object NOT IN ('setting:port', 'setting:data folder', 'setting:shared archive')
                OR NOT plain_line(p_new, 4096)
              THEN 'it names no setting of a workstation' END
    ELSE 'the event ' || coalesce(p_action, '') || ' has a function of its own' END $$)sql";

QStringList client_claims_checked() {
    return {
        QLatin1String(kEventProblem),
        client_function_replaced("append_event(p_action text, p_object text, p_old text,"
                                 " p_new text, p_reason text) RETURNS bigint",
                                 QStringLiteral(R"sql(DECLARE
  v_problem text := client_event_problem(p_action, p_object, p_old, p_new, p_reason);
BEGIN
  PERFORM session_of_connection();
  IF v_problem IS NOT NULL THEN
    RAISE EXCEPTION 'the event % is not entered: %', p_action, v_problem USING ERRCODE = '42501';
  END IF;
  RETURN session_event(p_action, p_object, p_old, p_new, p_reason);
END)sql")),
        // The server's own verification, entered as the server found it; what the program
        // found stands beside it when it differs.
        QStringLiteral(R"sql(
CREATE FUNCTION enter_verification(p_record bigint, p_found text) RETURNS text
LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
DECLARE
  v_result text := server_verification(p_record);
BEGIN
  PERFORM session_event('verified', 'record:' || p_record, '', v_result,
                        CASE WHEN upper(coalesce(p_found, '')) = v_result THEN ''
                             ELSE 'the program found '
                                  || left(regexp_replace(coalesce(p_found, ''), '[[:cntrl:]]',
                                                         ' ', 'g'), 64) END);
  RETURN v_result;
END $$)sql"),
        client_function("record_verified(p_record bigint, p_found text) RETURNS text",
                        QStringLiteral(R"sql(BEGIN
  PERFORM session_of_connection();
  RETURN enter_verification(p_record, p_found);
END)sql")),
        // What a PC did offline, checked as the same work done online is.
        client_function_replaced("upload_event(p_action text, p_object text, p_old text,"
                                 " p_new text, p_reason text) RETURNS bigint",
                                 QStringLiteral(R"sql(DECLARE
  v_upload uploads := upload_in_progress();
  v_object text := p_object;
BEGIN
  IF v_upload.archive IS NULL THEN
    RAISE EXCEPTION 'no upload is being taken' USING ERRCODE = '42501';
  END IF;
  IF p_action NOT IN ('download-not-archived', 'file-written', 'verified', 'setting-changed',
                      'limits-set') THEN
    RAISE EXCEPTION 'the event % is not taken from a PC''s archive', p_action
      USING ERRCODE = '42501';
  END IF;
  IF p_object LIKE 'record:%' THEN
    SELECT 'record:' || shared_record INTO v_object FROM uploads
    WHERE archive = v_upload.archive AND local_record = substr(p_object, 8)::bigint
      AND shared_record IS NOT NULL
    ORDER BY local_sequence DESC LIMIT 1;
    IF NOT FOUND THEN
      RAISE EXCEPTION 'the PC''s % is not in the shared archive', p_object
        USING ERRCODE = '22023';
    END IF;
  END IF;
  IF p_action = 'verified' THEN
    PERFORM enter_verification(substr(v_object, 8)::bigint, p_new);
    RETURN (SELECT event_sequence FROM uploads WHERE archive = v_upload.archive
                                                AND local_sequence = v_upload.local_sequence);
  END IF;
  IF p_action = 'limits-set' THEN
    RETURN set_limits(substr(v_object, 8)::bigint,
                      coalesce((SELECT new_value FROM audit_events WHERE object = v_object
                                  AND action = 'limits-set' ORDER BY sequence DESC LIMIT 1),
                               p_old), p_new, p_reason);
  END IF;
  IF client_event_problem(p_action, v_object, p_old, p_new, p_reason) IS NOT NULL THEN
    RAISE EXCEPTION 'the PC''s event % is not taken: %', p_action,
      client_event_problem(p_action, v_object, p_old, p_new, p_reason) USING ERRCODE = '22023';
  END IF;
  RETURN session_event(p_action, v_object, p_old, p_new, p_reason);
END)sql")),
        client_function_replaced(
            "set_limits(p_record bigint, p_old text, p_new text, p_reason text) RETURNS bigint",
            QStringLiteral(R"sql(DECLARE
  v_session sessions := session_of_connection();
  v_role text := (SELECT role FROM people WHERE id = v_session.user_id);
  v_old text;
BEGIN
  IF NOT EXISTS (SELECT 1 FROM missions WHERE id = p_record) THEN
    RAISE EXCEPTION 'there is no record %', p_record USING ERRCODE = '22023';
  END IF;
  IF accounts_on() AND coalesce(v_role, 'operator') NOT IN ('reviewer', 'approver',
                                                            'administrator') THEN
    RAISE EXCEPTION 'the role % may not set limits', coalesce(v_role, 'operator')
      USING ERRCODE = '42501';
  END IF;
  IF accounts_on() AND coalesce(p_reason, '') = '' THEN
    RAISE EXCEPTION 'limits set with accounts on need a reason' USING ERRCODE = '22023';
  END IF;
  v_old := (SELECT new_value FROM audit_events WHERE object = 'record:' || p_record
              AND action = 'limits-set' ORDER BY sequence DESC LIMIT 1);
  IF limits_value_problem(p_new) IS NOT NULL OR NOT plain_line(p_reason, 4096)
     OR (v_old IS NULL AND limits_value_problem(p_old) IS NOT NULL) THEN
    RAISE EXCEPTION 'the limits % cannot be set: %', p_new,
      coalesce(limits_value_problem(p_new), limits_value_problem(p_old),
               'the reason is not one line') USING ERRCODE = '22023';
  END IF;
  IF v_old IS NOT NULL AND v_old IS DISTINCT FROM p_old THEN
    RAISE EXCEPTION 'the limits of record % were changed meanwhile', p_record
      USING ERRCODE = '40001';
  END IF;
  RETURN session_event('limits-set', 'record:' || p_record, coalesce(v_old, p_old), p_new,
                       p_reason);
END)sql")),
        // Deriving summaries again is maintenance: the schema owner's, never a client's.
        QStringLiteral("ALTER FUNCTION store_summaries_again(bigint, jsonb, text, text)"
                       " SECURITY INVOKER"),
    };
}

}  // namespace

QString session_event_of_uploads(const char* pc_user) {
    return QString::fromLatin1(kSessionEventOfUploads).arg(QLatin1String(pc_user));
}

QStringList pg_trust_step() {
    return wrong_passwords_that_last() + accounts_the_owner_turns_on() + pc_times() +
           uploads_that_date_only_themselves() + checked_records() + client_claims_checked();
}

}  // namespace frostel::archive
