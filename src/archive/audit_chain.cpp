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
}

std::optional<BrokenAt> ChainCheck::finish(std::int64_t issued) {
    if (!broken_ && issued >= expected_) {
        break_at(ChainBreak::kMissing);
    }
    looking_for_follower_ = false;
    return broken_;
}

}  // namespace frostel::archive
