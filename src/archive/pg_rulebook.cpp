#include "archive/pg_rulebook.h"

#include <QChar>
#include <QString>

namespace frostel::archive {

namespace {

// The chain's row hash as audit_chain's row_hash computes it, and what used to spell it out
// twice: the append and the check of a kept row.
QStringList chain_rules() {
    return {
        QStringLiteral(R"sql(
CREATE FUNCTION chain_hash(p_previous text, p_sequence bigint, p_utc_ms bigint,
                           p_user_id text, p_workstation text, p_action text, p_object text,
                           p_old text, p_new text, p_reason text) RETURNS text
LANGUAGE sql IMMUTABLE SET search_path = public, pg_temp AS $$
  SELECT encode(sha256(convert_to(p_previous || E'\n' || concat_ws(E'\n', p_sequence::text,
    p_utc_ms::text, chain_field(p_user_id), chain_field(p_workstation), chain_field(p_action),
    chain_field(p_object), chain_field(p_old), chain_field(p_new), chain_field(p_reason)),
    'UTF8')), 'hex') $$)sql"),
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION event_hash_holds(e audit_events) RETURNS boolean
LANGUAGE sql IMMUTABLE SET search_path = public, pg_temp AS $$
  SELECT e.hash = chain_hash(e.previous_hash, e.sequence, e.utc_ms, e.user_id, e.workstation,
                             e.action, e.object, e.old_value, e.new_value, e.reason) $$)sql"),
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION chain_event_at(p_utc_ms bigint, p_local_time text, p_user_id text,
                                          p_full_name text, p_workstation text, p_action text,
                                          p_object text, p_old text, p_new text, p_reason text)
RETURNS bigint LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
DECLARE
  v_sequence bigint;
  v_previous text;
  v_time timestamptz;
  v_utc_ms bigint;
BEGIN
  PERFORM pg_advisory_xact_lock(7305808269117925460);
  UPDATE audit_issued SET last_sequence = last_sequence + 1
    RETURNING last_sequence INTO v_sequence;
  SELECT hash INTO v_previous FROM audit_events ORDER BY sequence DESC LIMIT 1;
  v_previous := coalesce(v_previous, repeat('0', 64));
  v_time := date_trunc('milliseconds', clock_timestamp());
  v_utc_ms := coalesce(p_utc_ms, utc_ms_of(v_time));
  INSERT INTO audit_events (sequence, utc_ms, local_time, user_id, full_name, workstation,
                            action, object, old_value, new_value, reason, previous_hash, hash)
  VALUES (v_sequence, v_utc_ms,
          coalesce(p_local_time, to_char(v_time, 'YYYY-MM-DD"T"HH24:MI:SS.MSTZH:TZM')),
          coalesce(p_user_id, ''), coalesce(p_full_name, ''), coalesce(p_workstation, ''),
          coalesce(p_action, ''), coalesce(p_object, ''), coalesce(p_old, ''),
          coalesce(p_new, ''), coalesce(p_reason, ''), v_previous,
          chain_hash(v_previous, v_sequence, v_utc_ms, p_user_id, p_workstation, p_action,
                     p_object, p_old, p_new, p_reason));
  RETURN v_sequence;
END $$)sql"),
    };
}

// What record_digest and clock_line compute of a download.
QStringList record_rules() {
    return {
        QStringLiteral(R"sql(
CREATE FUNCTION record_digest_of(p_fingerprint text, p_logger_id text, p_utc_ms bigint,
                                 p_zone text, p_offset_s bigint) RETURNS text
LANGUAGE sql IMMUTABLE AS $$
  SELECT encode(sha256(convert_to(concat_ws(E'\n', p_fingerprint, p_logger_id, p_utc_ms::text,
                                            p_zone, p_offset_s::text), 'UTF8')), 'hex') $$)sql"),
        QStringLiteral(R"sql(
CREATE FUNCTION clock_line(p_source text, p_offset_s bigint, p_drift_s bigint,
                           p_measured_offset_s bigint, p_zone text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN p_source IS NULL THEN ''
              ELSE format('%s %s %s %s %s', p_source, p_offset_s, p_drift_s,
                          p_measured_offset_s, p_zone) END $$)sql"),
    };
}

// What parse_limits_value reads of a limits-set event's value, and why it reads nothing.
QStringList limits_rules() {
    return {
        // The sides as written, or null for a text of another form.
        QStringLiteral(R"sql(
CREATE FUNCTION limits_sides(p_value text) RETURNS text[] LANGUAGE sql IMMUTABLE AS $$
  SELECT regexp_match(p_value, '^low=([^ ]+) high=([^ ]+) dH=([^ ]+)$') $$)sql"),
        // A number as the program reads one: null for any other text, and for one beyond a
        // double, as the program's reading fails there too.
        QStringLiteral(R"sql(
CREATE FUNCTION limits_number(p_text text) RETURNS double precision LANGUAGE plpgsql
IMMUTABLE AS $$
BEGIN
  IF p_text ~ '^-?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$' THEN
    RETURN p_text::double precision;
  END IF;
  RETURN NULL;
EXCEPTION WHEN numeric_value_out_of_range THEN
  RETURN NULL;
END $$)sql"),
        QStringLiteral(R"sql(
CREATE FUNCTION limits_value_problem(p_value text) RETURNS text LANGUAGE plpgsql IMMUTABLE
SET search_path = public, pg_temp AS $$
DECLARE
  v_sides text[] := limits_sides(p_value);
  v_low double precision := limits_number(v_sides[1]);
  v_high double precision := limits_number(v_sides[2]);
  v_delta_h double precision := limits_number(v_sides[3]);
BEGIN
  RETURN CASE
    WHEN v_sides IS NULL THEN 'the limits are not written as low=... high=... dH=...'
    WHEN v_sides[1] <> 'none' AND v_low IS NULL THEN 'the low limit is not a number'
    WHEN v_sides[2] <> 'none' AND v_high IS NULL THEN 'the high limit is not a number'
    WHEN v_delta_h IS NULL THEN 'dH is not a number'
    WHEN v_delta_h NOT BETWEEN 10 AND 500 THEN 'dH must be between 10 and 500 kJ/mol'
    WHEN v_low > v_high THEN 'the low limit is above the high one' END;
END $$)sql"),
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION limits_in_force(p_record bigint) RETURNS text[] LANGUAGE plpgsql
STABLE SET search_path = public, pg_temp AS $$
DECLARE
  v_event audit_events;
  v_sides text[];
BEGIN
  SELECT * INTO v_event FROM audit_events WHERE object = 'record:' || p_record
    AND action = 'limits-set' ORDER BY sequence DESC LIMIT 1;
  IF NOT FOUND THEN
    RETURN ARRAY['none', 'none', 'none', limit_text('83.144')];
  END IF;
  IF NOT event_hash_holds(v_event) THEN
    RAISE EXCEPTION 'the event % that set the limits of record % was edited', v_event.sequence,
      p_record USING ERRCODE = '22023';
  END IF;
  IF limits_value_problem(v_event.new_value) IS NOT NULL THEN
    RAISE EXCEPTION 'the limits last set for record % cannot be read', p_record
      USING ERRCODE = '22023';
  END IF;
  v_sides := limits_sides(v_event.new_value);
  RETURN ARRAY[limit_text(v_sides[1]), limit_text(v_sides[2]),
               CASE WHEN v_sides[1] <> 'none' OR v_sides[2] <> 'none' THEN 'user' ELSE 'none' END,
               limit_text(v_sides[3])];
END $$)sql"),
    };
}

// A Unicode code point as a regular expression's escape.
QString regex_escape(char32_t c) {
    return QStringLiteral("\\u%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
}

// folded_name as the program's folding: its blanks are every character QString::simplified
// takes for one (the no-break spaces among them), and its case folding Qt's own, character by
// character, so that neither depends on the server's locale.
QString folded_name_function() {
    QString blanks;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (QChar::isSpace(c)) {
            blanks += regex_escape(c);
        }
    }
    QString cased;
    QString folded;
    for (char32_t c = 0; c <= QChar::LastValidCodePoint; ++c) {
        const char32_t fold = QChar::toCaseFolded(c);
        if (fold != c && !QChar::isSurrogate(c)) {
            cased += QString::fromUcs4(&c, 1);
            folded += QString::fromUcs4(&fold, 1);
        }
    }
    return QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION folded_name(p_name text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT translate(btrim(regexp_replace(p_name, '[%1]+', ' ', 'g'), ' '), '%2', '%3') $$)sql")
        .arg(blanks, cased, folded);
}

// The person rules of account_rules, in its order and words.
QStringList person_rules() {
    return {
        QStringLiteral(R"sql(
CREATE FUNCTION is_person_id(p_id text) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
  SELECT coalesce(p_id ~ '^[A-Za-z0-9._-]{1,64}$', false) $$)sql"),
        QStringLiteral(R"sql(
CREATE FUNCTION id_as_stored(p_id text) RETURNS text LANGUAGE sql IMMUTABLE
SET search_path = public, pg_temp AS $$
  SELECT CASE WHEN is_person_id(p_id) THEN p_id
              ELSE 'invalid id (' || coalesce(length(p_id), 0) || ' characters)' END $$)sql"),
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION person_problem(p_id text, p_full_name text) RETURNS text
LANGUAGE sql IMMUTABLE SET search_path = public, pg_temp AS $$
  SELECT CASE WHEN NOT is_person_id(p_id)
              THEN 'a user id is 1 to 64 letters, digits, ''.'', ''_'' or ''-'': '
                   || coalesce(p_id, '')
              WHEN coalesce(p_full_name, '') = '' THEN 'a person needs a full name'
              WHEN p_full_name ~ '[\u0001-\u001f\u007f]'
              THEN 'a full name may not hold a line break, a tab or another control character'
         END $$)sql"),
        QStringLiteral(R"sql(
CREATE OR REPLACE FUNCTION password_problem(p_id text, p_password text) RETURNS text
LANGUAGE plpgsql SET search_path = public, pg_temp AS $$
DECLARE
  v_minimum bigint := site_setting('minimum-password-length', 10);
BEGIN
  IF length(p_password) < v_minimum THEN
    RETURN 'the password must have at least ' || v_minimum || ' characters';
  END IF;
  IF p_password ~ '^[ \t\n\r\v\f]*$' THEN
    RETURN 'the password must not be only blanks';
  END IF;
  IF EXISTS (SELECT 1 FROM people WHERE id = p_id AND must_change <> 0
               AND crypt(p_password, password_hash) = password_hash) THEN
    RETURN 'the password must not be the one-time password it replaces';
  END IF;
  IF EXISTS (SELECT 1 FROM (SELECT password_hash FROM password_history WHERE person = p_id
                            ORDER BY id DESC LIMIT 3) recent
             WHERE crypt(p_password, recent.password_hash) = recent.password_hash) THEN
    RETURN 'the password must not be one of the last 3';
  END IF;
  RETURN NULL;
END $$)sql"),
        folded_name_function(),
    };
}

}  // namespace

QStringList pg_rulebook_functions() {
    return chain_rules() + record_rules() + limits_rules() + person_rules();
}

}  // namespace frostel::archive
