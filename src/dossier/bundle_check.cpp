#include "dossier/bundle_check.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

#include "archive/signature_rules.h"
#include "dossier/audit_csv.h"

namespace frostel::dossier {

namespace fs = std::filesystem;

namespace {

// The files a bundle lists, in its order.
constexpr const char* kFiles[] = {"pages.bin", "mission.csv",    "summary.json",
                                  "audit.csv", "signatures.csv", "report.pdf"};
constexpr std::size_t kAuditColumns = 11;
constexpr std::size_t kSignatureColumns = 8;

std::string sha256_hex(const std::string& bytes) {
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

bool is_number(const std::string& text) {
    return !text.empty() && text.size() < 19 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int64_t> utc_ms_of(const std::string& text) {
    const QDateTime time = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
    return time.isValid() ? std::optional(time.toMSecsSinceEpoch()) : std::nullopt;
}

// An event of audit.csv as the chain covers it; nothing for a record that is not one.
std::optional<archive::ChainedRow> chained_of(const std::vector<std::string>& record) {
    const std::optional<std::int64_t> utc_ms =
        record.size() == kAuditColumns ? utc_ms_of(record[1]) : std::nullopt;
    if (!utc_ms || !is_number(record[0])) {
        return std::nullopt;
    }
    return archive::ChainedRow{{std::stoll(record[0]), *utc_ms, record[2], record[3], record[4],
                                record[5], record[6], record[7], record[8]},
                               record[9],
                               record[10]};
}

class Checker {
  public:
    explicit Checker(fs::path folder) : folder_(std::move(folder)) {}

    BundleCheck check(const std::optional<archive::Anchor>& anchor) {
        check_sums();
        check_events();
        check_signatures();
        if (anchor && !holds(*anchor)) {
            say("ANCHOR " + std::to_string(anchor->sequence) + " NOT HELD");
        }
        return std::move(result_);
    }

  private:
    void say(std::string problem) { result_.problems.push_back(std::move(problem)); }

    [[nodiscard]] std::optional<std::string> file(const std::string& name) const {
        std::ifstream in(folder_ / name, std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void check_sums() {
        const std::optional<std::string> sums = file("SHA256SUMS");
        if (!sums) {
            say("SHA256SUMS: missing");
            return;
        }
        std::map<std::string, std::string> listed;
        std::istringstream lines(*sums);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with('#')) {
                result_.head = archive::parse_anchor(line);
            } else if (line.size() > 66 && line.substr(64, 2) == "  ") {
                listed[line.substr(66)] = line.substr(0, 64);
            }
        }
        for (const char* name : kFiles) {
            const std::optional<std::string> bytes = file(name);
            const auto sum = listed.find(name);
            if (!bytes) {
                say(std::string(name) + ": missing");
            } else if (sum == listed.end()) {
                say(std::string(name) + ": not listed in SHA256SUMS");
            } else if (sum->second != sha256_hex(*bytes)) {
                say(std::string(name) + ": not as SHA256SUMS lists it");
            } else {
                ++result_.files;
            }
        }
        if (!result_.head) {
            say("SHA256SUMS: names no audit trail head");
        }
    }

    void check_events() {
        const std::vector<std::vector<std::string>> records =
            csv_records(file("audit.csv").value_or(std::string()));
        const archive::ChainedRow* before = nullptr;
        for (std::size_t r = 1; r < records.size(); ++r) {
            const std::optional<archive::ChainedRow> event = chained_of(records[r]);
            if (!event) {
                say("audit.csv: record " + std::to_string(r) + " is no event");
                continue;
            }
            const std::string sequence = std::to_string(event->row.sequence);
            if (!archive::hash_holds(*event)) {
                say("audit.csv: event " + sequence + " is not what its hash covers");
            } else if (before != nullptr && before->row.sequence + 1 == event->row.sequence &&
                       before->hash != event->previous_hash) {
                say("audit.csv: event " + sequence + " does not follow the event before it");
            } else if (result_.head && (event->row.sequence > result_.head->sequence ||
                                        (event->row.sequence == result_.head->sequence &&
                                         event->hash != result_.head->hash))) {
                say("audit.csv: event " + sequence + " is not in the trail the head names");
            } else {
                ++result_.events;
            }
            events_[event->row.sequence] = *event;
            before = &events_[event->row.sequence];
        }
    }

    // Each signature is its "signed" event of audit.csv, as that event says it.
    void check_signatures() {
        const std::vector<std::vector<std::string>> records =
            csv_records(file("signatures.csv").value_or(std::string()));
        for (std::size_t r = 1; r < records.size(); ++r) {
            const std::vector<std::string>& s = records[r];
            const auto event = s.size() == kSignatureColumns && is_number(s[0])
                                   ? events_.find(std::stoll(s[0]))
                                   : events_.end();
            const std::optional<archive::SignedTerms> terms =
                event != events_.end() ? archive::parse_signed_value(event->second.row.new_value)
                                       : std::nullopt;
            if (!terms || event->second.row.action != "signed" ||
                s[1] != archive::meaning_name(terms->meaning) ||
                s[2] != event->second.row.user_id || s[3] != terms->full_name ||
                s[5] != std::to_string(event->second.row.utc_ms) ||
                s[7] != event->second.row.reason) {
                say("signatures.csv: signature " + std::to_string(r) +
                    " is not the signed event of audit.csv it names");
            }
        }
    }

    // The head SHA256SUMS names, or an event of audit.csv at the anchor's sequence.
    [[nodiscard]] bool holds(const archive::Anchor& anchor) const {
        const auto event = events_.find(anchor.sequence);
        return (result_.head && *result_.head == anchor) ||
               (event != events_.end() && event->second.hash == anchor.hash &&
                archive::hash_holds(event->second));
    }

    fs::path folder_;
    BundleCheck result_;
    std::map<std::int64_t, archive::ChainedRow> events_;
};

}  // namespace

BundleCheck check_bundle(const fs::path& folder, const std::optional<archive::Anchor>& anchor) {
    return Checker(folder).check(anchor);
}

}  // namespace frostel::dossier
