#pragma once

#include <QWidget>
#include <optional>

#include "insight/summary.h"

class QFocusEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace frostel::app {

class SignaturesBox;

// The "Mission Summary" window: the verdict first, then the statistics, the limits with
// their source and fields to change them, dH, the excursions, the logger's flags and the
// mission's settings. It only shows what it is given and says what the user changed.
class SummaryWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit SummaryWindow(QWidget* parent = nullptr);
    ~SummaryWindow() override;
    SummaryWindow(const SummaryWindow&) = delete;
    SummaryWindow& operator=(const SummaryWindow&) = delete;

    // The fields show the limits in force when the user set them (for this mission or, last,
    // for its logger), else nothing.
    void show_summary(const insight::Summary& summary,
                      const std::optional<mission::MissionRecord>& record);
    // The archived record's signatures; hidden for a mission that is no record.
    [[nodiscard]] SignaturesBox& signatures() const { return *signatures_; }

  signals:
    // Limits typed in, in the chart's unit, once confirmed (Enter) or left (the focus leaving
    // the two fields, the window closing); both empty leaves the logger's own.
    void limitsEdited(std::optional<double> low, std::optional<double> high);
    void deltaHEdited(double kj_per_mol);
    // An excursion of the list was clicked: its first and last point.
    void excursionChosen(int first, int last);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Typed limits not yet confirmed are taken as the window closes.
    void closeEvent(QCloseEvent* event) override;

  private:
    // Whether the focus that one of the limit fields loses leaves the pair.
    [[nodiscard]] bool leaves_the_limits(const QFocusEvent& event) const;
    // The limits typed, taken when they differ from those shown.
    void read_limits();
    void read_delta_h();

    QLabel* verdict_;
    QLabel* statistics_;
    QLineEdit* low_;
    QLineEdit* high_;
    QLabel* source_;
    QLineEdit* delta_h_;
    QTreeWidget* excursions_;
    QLabel* flags_;
    QLabel* settings_;
    QGroupBox* statistics_group_;  // titled with the unit
    SignaturesBox* signatures_;
    std::optional<double> shown_low_;
    std::optional<double> shown_high_;
    double shown_delta_h_ = insight::kDefaultDeltaH;
};

// The verdict's text in its colour, as the summary window shows it; `layout_style` adds the
// label's padding and size.
void show_verdict(QLabel& label, const insight::Summary& summary, const QString& layout_style);

// A number typed by the user, in the locale's form or with a point, without group
// separators; empty text is none, and so is anything that is not a finite number (`valid`
// then false).
[[nodiscard]] std::optional<double> typed_number(const QString& text, bool* valid = nullptr);

}  // namespace frostel::app
