#include "report/result_palette.h"

namespace frostel::report {

namespace {

// The fills are the colours at this share of their strength, over white.
constexpr double kFillStrength = 0.12;

}  // namespace

ResultKind result_kind(insight::VerdictKind verdict) {
    switch (verdict) {
        case insight::VerdictKind::kExcursions:
            return ResultKind::kFail;
        case insight::VerdictKind::kWithinLimits:
            return ResultKind::kPass;
        default:
            return ResultKind::kNeutral;
    }
}

QColor result_colour(ResultKind kind) {
    switch (kind) {
        case ResultKind::kFail:
            return {0xc0, 0x00, 0x00};
        case ResultKind::kPass:
            return {0x00, 0x00, 0x8b};
        case ResultKind::kNeutral:
            break;
    }
    return {0x50, 0x50, 0x50};
}

QColor alarm_text() {
    return {0xff, 0xff, 0x00};
}

QColor alarm_background() {
    return {0xff, 0x00, 0x00};
}

QColor result_fill(ResultKind kind) {
    const QColor colour = result_colour(kind);
    const auto pale = [](int channel) {
        return static_cast<int>(255 - (255 - channel) * kFillStrength);
    };
    return {pale(colour.red()), pale(colour.green()), pale(colour.blue())};
}

ScreenColours screen_colours(ResultKind kind) {
    if (kind == ResultKind::kFail) {
        return {alarm_text(), alarm_background()};
    }
    return {result_colour(kind), std::nullopt};
}

QString result_style(ResultKind kind) {
    const ScreenColours colours = screen_colours(kind);
    const QString background =
        colours.background
            ? QStringLiteral("background-color: %1; ").arg(colours.background->name())
            : QString();
    return QStringLiteral("%1color: %2; font-weight: bold;").arg(background, colours.text.name());
}

}  // namespace frostel::report
