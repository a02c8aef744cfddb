#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

#include "app/summary_preferences.h"
#include "archive/account_book.h"
#include "archive/record_limits.h"
#include "insight/summary.h"
#include "mission/mission_record.h"

class QLabel;

namespace frostel::app {

class ChartView;
class ShownMission;
class SummaryWindow;
class TableView;
struct UserLimits;

// What the summary signs an archived record through: the archive of the current data folder
// and, with accounts on, the person signed in.
struct SigningTies {
    std::function<archive::MissionArchive&()> archive;
    std::function<std::optional<archive::Person>()> person;
};

// The mission summary follows the chart: each change of its points, unit, limits or record
// tints the table rows outside the limits, shows the verdict on `verdict_line` (hidden
// without a mission) and refreshes the summary window when it is open.
// The limits the user sets are remembered for the next downloads of the same logger, the dH
// for every download.
class SummaryActions final : public QObject {
    Q_OBJECT

  public:
    SummaryActions(ShownMission& shown, ChartView& chart, TableView& table, QLabel& verdict_line,
                   QString preferences_path, QObject* parent = nullptr);
    ~SummaryActions() override;

    // "Mission Summary": opens the window on top, or brings it up.
    void open();
    // A download's limits: the ones last set for its logger, as typed, else none (the
    // logger's own thresholds then judge); and the user's dH.
    void take_remembered(ShownMission& mission) const;
    // An archived mission is judged by the limits and dH kept for it, never by those
    // remembered for its logger.
    static void take_kept(ShownMission& mission, const archive::RecordLimits& kept);
    // Asked before the user's change of the limits or the dH of the mission shown takes
    // effect, with all of them as they would be, in degrees Celsius: false leaves them as they
    // are, and the window shows them again.
    using LimitsKeeper = std::function<bool(const archive::RecordLimits& now)>;
    void set_limits_keeper(LimitsKeeper keeper) { keeper_ = std::move(keeper); }
    // "Fit to Data" as the user left it, kept between runs.
    [[nodiscard]] bool fit_to_data() const { return preferences_.fit_to_data; }
    void set_fit_to_data(bool on);
    // From then on the window shows an archived record's signatures and offers to sign it.
    void sign_through(SigningTies ties) { signing_ = std::move(ties); }
    // The window, once opened.
    [[nodiscard]] SummaryWindow* window() const;

  private:
    void follow_chart();
    // The preferences written; a file that cannot be written is said.
    void keep_preferences();
    [[nodiscard]] archive::RecordLimits in_celsius(const UserLimits& limits,
                                                   std::optional<double> delta_h) const;
    [[nodiscard]] bool keeper_takes(const UserLimits& limits, std::optional<double> delta_h);
    void refresh_window(const insight::Summary& summary);
    void set_limits(std::optional<double> low, std::optional<double> high);
    void set_delta_h(double kj_per_mol);
    void show_excursion(int first, int last);
    void show_signatures();
    void sign_shown();

    ShownMission& shown_;
    ChartView& chart_;
    TableView& table_;
    QLabel& verdict_line_;
    QString preferences_path_;
    SummaryPreferences preferences_;
    QPointer<SummaryWindow> window_;
    LimitsKeeper keeper_;
    // While the keeper asks, the window's fields lose the focus and say "edited" again.
    bool asking_ = false;
    SigningTies signing_;
};

}  // namespace frostel::app
