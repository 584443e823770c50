// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "history/HistoryArchive.h"
#include "history/PointJudgement.h"
#include "history/SiteRules.h"
#include "structure/RuleSets.h"

#include <functional>
#include <map>

#include <QDialog>

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace zentrova {

struct AppContext;
class ChartOutput;

// The inspection history: the installations of the archive the settings
// name; for the one chosen its inspections by date and its measuring points,
// those that need attention first and in red; for the point chosen the trend
// of a quantity over the inspections. A point first stored under another
// name or number can be linked to its earlier self. Stays open beside the
// main window; Refresh reads the archive again.
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    // The help topic F1 opens.
    static constexpr int HelpContext = 1500;
    explicit HistoryWindow(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // Opens the archive, shows what it holds and brings the window to the front.
    void showHistory();
    // Opens the archive again and shows it, keeping the installation, point
    // and quantity chosen where they are still there. False when the archive
    // cannot be opened: the window says why.
    bool refresh();

    void selectInstallation(qint64 installation);
    void selectPoint(qint64 point);
    // The test the trend follows (AnyFunction: every test), with its
    // quantity chosen before where it has it, else its 1-minute reading.
    void selectTest(long function);
    void selectQuantity(long quantity);
    // Asks for the earlier point the chosen one is the same as (only points
    // it can be linked to are offered, none chosen) and links them once the
    // user confirms with both names.
    void linkSelectedPoint();
    // Undoes the latest link made to the chosen point, once the user confirms.
    void unlinkSelectedPoint();
    // Asks for the chosen point's equipment data and stores it.
    void editSelectedEquipment();
    // Asks which other points of the installation take the chosen point's
    // equipment data (those that have data marked with it) and stores it for
    // them; points whose data it would replace are named first, and nothing
    // is stored unless the user answers Yes.
    void copySelectedEquipment();
    // Deletes the chosen point's equipment data once the user confirms: it
    // is then judged by the advice bands only.
    void deleteSelectedEquipment();
    // Stores `data` for each of `points` and shows the installation again;
    // false when the archive cannot be written, after saying why.
    bool storeEquipment(const std::vector<qint64>& points, const EquipmentData& data);
    // Asks which correction rule set judges the chosen installation's points
    // of each equipment type, the settings' choice offered first, and keeps
    // the answer in the archive with the installation.
    void chooseSiteRules();
    // The trend as measured or corrected to the point's base temperature.
    void showCorrected(bool corrected);

    qint64 installation() const { return installation_; }
    qint64 point() const { return point_; }
    const std::vector<PointEntry>& points() const { return points_; }
    const Trend& trend() const { return trend_; }
    bool hasTrend() const { return drawn_; }
    QTreeWidget* installationList() const { return installations_; }
    QTreeWidget* inspectionList() const { return inspections_; }
    QTreeWidget* pointList() const { return pointList_; }
    QComboBox* quantityList() const { return quantities_; }
    QComboBox* testList() const { return tests_; }
    QChartView* chartView() const { return view_; }
    QLabel* problemLabel() const { return problem_; }
    ChartOutput* chartOutput() const { return output_; }
    QCheckBox* correctedSwitch() const { return corrected_; }
    QLabel* noteLabel() const { return note_; }
    QLabel* equipmentLabel() const { return equipmentLabel_; }
    // What the verdicts and ratings say of a point of the installation shown.
    PointAttention attentionOf(qint64 point) const;
    const EquipmentData* equipmentOf(qint64 point) const;
    // The installation's choice of rule sets, and the choices its points are
    // judged by: the settings' with the installation's in their place.
    const SiteRuleChoice& siteRules() const { return siteRules_; }
    const EvaluationChoices& judgingChoices() const { return siteChoices_; }
    // The trend as drawn: corrected when the switch is on.
    const Trend& drawnTrend() const { return drawnTrend_; }

private:
    void showInstallations();
    void showInstallation();
    void showPoint();
    // Fills the quantity list with the quantities of the test followed, and
    // chooses `preferred` among them, else the first.
    void showQuantities(long preferred);
    void redraw();
    void setProblem(const QString& text);
    void judgeInstallation();
    QString equipmentSummary(const EquipmentData* data) const;
    // The type and the items set: "Cable, 20 kV".
    QString equipmentDetails(const EquipmentData& data) const;
    // Runs `change` on a connection that writes, then reads the archive
    // anew; false when it cannot be written, after saying why under the
    // language key `failedKey`.
    bool changeArchive(const std::function<bool(HistoryArchive&, QString*)>& change, const char* failedKey);

    AppContext& ctx_;
    HistoryArchive archive_;
    std::vector<InstallationEntry> installationEntries_;
    std::vector<PointEntry> points_;
    qint64 installation_ = 0, point_ = 0;
    long quantity_ = 0, function_ = AnyFunction;
    bool trendChosen_ = false; // the user chose the test or quantity: kept for the next point that has it
    Trend trend_, drawnTrend_;
    RuleSets rules_;
    EvaluationChoices choices_, siteChoices_;
    SiteRuleChoice siteRules_;
    std::map<qint64, EquipmentData> equipment_;
    std::map<qint64, PointAttention> attention_;
    bool drawn_ = false;
    bool filling_ = false; // lists being filled: their selection signals mean nothing

    QLabel* problem_;
    QLabel *installationsLabel_, *inspectionsLabel_, *pointsLabel_, *quantityLabel_, *testLabel_;
    QTreeWidget* installations_;
    QTreeWidget* inspections_;
    QTreeWidget* pointList_;
    QMenu* pointMenu_;
    QAction *linkAction_, *unlinkAction_;
    QComboBox *quantities_, *tests_;
    QChartView* view_;
    QLabel* note_;
    QCheckBox* corrected_;
    QLabel* equipmentLabel_;
    QPushButton *equipmentButton_, *copyEquipmentButton_, *deleteEquipmentButton_;
    ChartOutput* output_;
    QPushButton *refreshButton_, *siteRulesButton_, *linkButton_, *unlinkButton_, *closeButton_;
};

} // namespace zentrova
