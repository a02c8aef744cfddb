#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace frostel::archive {

// The fields of one audit event that its hash covers, in the chain's order.
struct AuditRow {
    std::int64_t sequence = 0;
    std::int64_t utc_ms = 0;  // milliseconds since 1970, UTC
    std::string user_id;
    std::string workstation;
    std::string action;
    std::string object;
    std::string old_value;
    std::string new_value;
    std::string reason;
};

// A row as kept: its fields, the hash of the row before it and its own hash.
struct ChainedRow {
    AuditRow row;
    std::string previous_hash;
    std::string hash;
};

// What comes before the first row.
inline const std::string kChainStart(64, '0');

// A backslash as two backslashes, a line feed as backslash-n, a tab as backslash-t.
[[nodiscard]] std::string escape_field(std::string_view field);
// The fields, each escaped, joined by line feeds.
[[nodiscard]] std::string row_text(const AuditRow& row);
// SHA-256 over the previous hash, a line feed and the row's text, as 64 lower-case hex digits.
[[nodiscard]] std::string row_hash(std::string_view previous_hash, const AuditRow& row);

// Whether a kept row's own hash is that of its fields after the hash it names: a row edited
// in place shows without walking the chain.
[[nodiscard]] bool hash_holds(const ChainedRow& row);

// A head as kept elsewhere (a report, a bundle, a mail): the hash the trail had at a sequence.
struct Anchor {
    std::int64_t sequence = 0;
    std::string hash = kChainStart;
    bool operator==(const Anchor&) const = default;
};
// "HEAD <sequence>:<hash>", as every printout names the head.
[[nodiscard]] std::string anchor_text(const Anchor& anchor);
// "SEQUENCE:HASH", or a printout's line that ends in "HEAD SEQUENCE:HASH"; nothing when it is
// neither (a hash is 64 hexadecimal digits, upper-case read as lower).
[[nodiscard]] std::optional<Anchor> parse_anchor(std::string_view text);

enum class ChainBreak { kEdited, kMissing, kReordered };
[[nodiscard]] std::string_view break_text(ChainBreak why);

struct BrokenAt {
    std::int64_t sequence = 0;
    ChainBreak why = ChainBreak::kEdited;
    bool operator==(const BrokenAt&) const = default;
};

// Checks a chain fed one row at a time in sequence order, so a long trail needs no memory.
// The first break decides; the rows after it only tell a moved row from an edited one.
class ChainCheck {
  public:
    void add(const ChainedRow& row);
    // After the last row. `issued`: the highest sequence number ever given out, so that rows
    // removed from the end are missed too.
    [[nodiscard]] std::optional<BrokenAt> finish(std::int64_t issued);
    // The rows that chain without a break, and the last of their hashes.
    [[nodiscard]] std::int64_t intact_rows() const { return expected_ - 1; }
    [[nodiscard]] const std::string& head() const { return head_; }
    // Anchors the intact rows must hold, given before the first row; after the last, those
    // they do not (a row rewritten, or a tail cut).
    void hold(const std::vector<Anchor>& anchors);
    [[nodiscard]] std::vector<Anchor> not_held() const;

  private:
    void break_at(ChainBreak why);
    void note_held(const ChainedRow& row);

    std::int64_t expected_ = 1;
    std::string head_ = kChainStart;
    std::optional<BrokenAt> broken_;
    // A row that does not follow the head may be one moved from later in the chain.
    bool looking_for_follower_ = false;
    std::vector<std::pair<Anchor, bool>> anchors_;
};

}  // namespace frostel::archive
