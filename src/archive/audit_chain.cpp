#include "archive/audit_chain.h"

#include <QCryptographicHash>

namespace frostel::archive {

std::string escape_field(std::string_view field) {
    std::string escaped;
    escaped.reserve(field.size());
    for (const char c : field) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string row_text(const AuditRow& row) {
    std::string text = std::to_string(row.sequence) + '\n' + std::to_string(row.utc_ms);
    for (const std::string* field : {&row.user_id, &row.workstation, &row.action, &row.object,
                                     &row.old_value, &row.new_value, &row.reason}) {
        text += '\n';
        text += escape_field(*field);
    }
    return text;
}

std::string row_hash(std::string_view previous_hash, const AuditRow& row) {
    const std::string text = row_text(row);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(
        QByteArrayView(previous_hash.data(), static_cast<qsizetype>(previous_hash.size())));
    hash.addData(QByteArrayView("\n", 1));
    hash.addData(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return hash.result().toHex().toStdString();
}

bool hash_holds(const ChainedRow& row) {
    return row_hash(row.previous_hash, row.row) == row.hash;
}

std::string_view break_text(ChainBreak why) {
    switch (why) {
        case ChainBreak::kEdited:
            return "the row was edited";
        case ChainBreak::kMissing:
            return "the row is missing";
        case ChainBreak::kReordered:
            return "the row is out of order";
    }
    return {};
}

void ChainCheck::break_at(ChainBreak why) {
    broken_ = BrokenAt{expected_, why};
}

void ChainCheck::add(const ChainedRow& row) {
    if (looking_for_follower_) {
        if (row.previous_hash == head_) {
            broken_->why = ChainBreak::kReordered;
            looking_for_follower_ = false;
        }
        return;
    }
    if (broken_) {
        return;
    }
    if (row.row.sequence != expected_ || row.previous_hash != head_) {
        break_at(row.row.sequence > expected_ ? ChainBreak::kMissing : ChainBreak::kEdited);
        looking_for_follower_ = true;
        return;
    }
    if (!hash_holds(row)) {
        break_at(ChainBreak::kEdited);
        return;
    }
    head_ = row.hash;
    ++expected_;
    note_held(row);
}

void ChainCheck::hold(const std::vector<Anchor>& anchors) {
    for (const Anchor& anchor : anchors) {
        anchors_.emplace_back(anchor, anchor == Anchor{});
    }
}

void ChainCheck::note_held(const ChainedRow& row) {
    for (auto& [anchor, held] : anchors_) {
        held = held || (anchor.sequence == row.row.sequence && anchor.hash == row.hash);
    }
}

std::vector<Anchor> ChainCheck::not_held() const {
    std::vector<Anchor> missed;
    for (const auto& [anchor, held] : anchors_) {
        if (!held) {
            missed.push_back(anchor);
        }
    }
    return missed;
}

std::string anchor_text(const Anchor& anchor) {
    return "HEAD " + std::to_string(anchor.sequence) + ':' + anchor.hash;
}

std::optional<Anchor> parse_anchor(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (const std::size_t head = text.rfind("HEAD "); head != std::string_view::npos) {
        text.remove_prefix(head + 5);
    }
    const std::size_t colon = text.find(':');
    if (colon == 0 || colon == std::string_view::npos || colon > 18) {
        return std::nullopt;
    }
    Anchor anchor{0, {}};
    for (const char digit : text.substr(0, colon)) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        anchor.sequence = anchor.sequence * 10 + (digit - '0');
    }
    for (const char c : text.substr(colon + 1)) {
        const char lower = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
        if (!((lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f'))) {
            return std::nullopt;
        }
        anchor.hash += lower;
    }
    return anchor.hash.size() == 64 ? std::optional(anchor) : std::nullopt;
}

std::optional<BrokenAt> ChainCheck::finish(std::int64_t issued) {
    if (!broken_ && issued >= expected_) {
        break_at(ChainBreak::kMissing);
    }
    looking_for_follower_ = false;
    return broken_;
}

}  // namespace frostel::archive
