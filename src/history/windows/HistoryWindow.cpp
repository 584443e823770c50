// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/windows/HistoryWindow.h"

#include "base/Prompts.h"
#include "history/EquipmentData.h"
#include "history/HistoryCommands.h"
#include "history/windows/TrendChart.h"
#include "shell/AppContext.h"
#include "shell/windows/HelpViewer.h"
#include "structure/MeasuredValue.h"
#include "structure/VerdictTexts.h"
#include "structure/windows/ChartOutput.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zentrova {

namespace {

const QColor Attention(200, 30, 30);
constexpr int IdRole = Qt::UserRole;
// The instrument's number of the insulation resistance Riso, shown first.
constexpr long InsulationResistance = 1;
// R60s, the diagnostic test's 1-minute reading.
constexpr long OneMinuteReading = 4;

QString dayText(const QDateTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString timeText(const QDateTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

QTreeWidget* makeList(QWidget* parent, const char* name, int columns)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setColumnCount(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    return list;
}

// A list with its caption above it, as one piece of a splitter.
QWidget* captioned(QWidget* parent, QLabel*& caption, QWidget* content, QLayout* below = nullptr)
{
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    caption = new QLabel(box);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    layout->addWidget(caption);
    content->setParent(box);
    layout->addWidget(content, 1);
    if (below)
        layout->addLayout(below);
    return box;
}

// Puts the current item of `list` on the row whose id is `id` (none: the first row).
void selectById(QTreeWidget* list, qint64 id)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->data(0, IdRole).toLongLong() == id) {
            list->setCurrentItem(list->topLevelItem(i));
            return;
        }
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
}

// An insulation resistance with the prefix that keeps its number short.
QString resistanceValueText(const AppContext& ctx, const MeasuredValue& v)
{
    return ctx.language.decode(prefixedValueText(v));
}

qint64 currentId(const QTreeWidget* list)
{
    const QTreeWidgetItem* item = list->currentItem();
    return item ? item->data(0, IdRole).toLongLong() : 0;
}

// The language keys of the equipment types, in the order of EquipmentType.
constexpr const char* EquipmentTypeKeys[EquipmentTypeCount] = {
    "EqFormWound_60",   "EqRandomWound_60", "EqOldOrField_60",        "EqCable_30",
    "EqTransformer_30", "EqOther_30",       "EqTransformerLiquid_30", "EqTransformerDry_30",
};
constexpr ThermalClass ThermalClasses[] = {ThermalClass::A, ThermalClass::B, ThermalClass::F, ThermalClass::H};

QString optionalNumberText(const std::optional<double>& v)
{
    return v ? QString::number(*v) : QString();
}

// A number as typed, with a decimal point or comma; empty is none. False
// for any other text.
bool typedNumber(const QString& text, std::optional<double>& out)
{
    const QString t = text.trimmed();
    out.reset();
    if (t.isEmpty())
        return true;
    bool ok = false;
    const double v = QString(t).replace(u',', u'.').toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

// An OK and a Cancel button at the foot of `dialog`; Cancel rejects it.
QPushButton* addOkCancel(const AppContext& ctx, QDialog& dialog, QVBoxLayout* layout, const char* okName)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(ctx.language.decode(ctx.language.texts.text("&OK_11")), &dialog);
    ok->setObjectName(QString::fromLatin1(okName));
    ok->setDefault(true);
    auto* cancel = new QPushButton(ctx.language.decode(ctx.language.texts.text("&Cancel_11")), &dialog);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return ok;
}

// Asks for a point's equipment data, `data` filled in; false when cancelled.
// A field that holds no number is named and the dialog stays open.
bool askEquipment(AppContext& ctx, QWidget* parent, const QString& pointText, EquipmentData& data)
{
    auto t = [&](const char* key) { return ctx.language.decode(ctx.language.texts.text(key)); };
    QDialog ask(parent);
    ask.setObjectName(QStringLiteral("EquipmentDialog"));
    ask.setWindowTitle(t("EquipmentData_40"));
    ask.setMinimumWidth(480);
    auto* layout = new QVBoxLayout(&ask);
    layout->addWidget(new QLabel(pointText, &ask));
    auto* form = new QFormLayout;
    auto* type = new QComboBox(&ask);
    type->setObjectName(QStringLiteral("EquipmentType"));
    // The plain transformer stays offered, for points stored before the two kinds, and says so.
    for (int each = 0; each < EquipmentTypeCount; ++each)
        type->addItem(transformerKindUnchosen(EquipmentType(each))
                          ? t(EquipmentTypeKeys[each]) + QStringLiteral(" (") + t("EqTransformerUnchosen_60") + u')'
                          : t(EquipmentTypeKeys[each]));
    type->setCurrentIndex(int(data.type));
    form->addRow(t("EqType_25"), type);
    auto field = [&](const char* name, const char* label, const std::optional<double>& value) {
        auto* edit = new QLineEdit(optionalNumberText(value), &ask);
        edit->setObjectName(QString::fromLatin1(name));
        form->addRow(t(label), edit);
        return edit;
    };
    QLineEdit* ratedKv = field("EquipmentRatedKv", "EqRatedKv_25", data.ratedKv);
    auto* thermal = new QComboBox(&ask);
    thermal->setObjectName(QStringLiteral("EquipmentClass"));
    thermal->addItem(t("EqNotSet_20"));
    for (ThermalClass c : ThermalClasses)
        thermal->addItem(QString::fromLatin1(thermalClassName(c)));
    thermal->setCurrentIndex(data.thermalClass ? int(*data.thermalClass) + 1 : 0);
    form->addRow(t("EqClass_25"), thermal);
    QLineEdit* temperature = field("EquipmentTemperature", "EqTestTemperature_25", data.testTemperature);
    QLineEdit* ownMinimum = field("EquipmentOwnMinimum", "EqOwnMinimum_25", data.ownMinimumMOhm);
    layout->addLayout(form);
    QPushButton* ok = addOkCancel(ctx, ask, layout, "EquipmentOK");
    EquipmentData typed;
    QObject::connect(ok, &QPushButton::clicked, &ask, [&] {
        typed.type = EquipmentType(type->currentIndex());
        typed.thermalClass = thermal->currentIndex() > 0
                                 ? std::optional<ThermalClass>(ThermalClasses[thermal->currentIndex() - 1])
                                 : std::nullopt;
        for (auto [edit, label, value] : {std::tuple{ratedKv, "EqRatedKv_25", &typed.ratedKv},
                                          std::tuple{temperature, "EqTestTemperature_25", &typed.testTemperature},
                                          std::tuple{ownMinimum, "EqOwnMinimum_25", &typed.ownMinimumMOhm}})
            if (!typedNumber(edit->text(), *value)) {
                ctx.language.prompts->message(
                    MsgType::Error, ctx.language.texts.text("EqBadNumber_60") + "\r" + ctx.language.texts.text(label),
                    MbOK);
                edit->setFocus();
                return;
            }
        ask.accept();
    });
    if (ask.exec() != QDialog::Accepted)
        return false;
    data = typed;
    return true;
}

} // namespace

HistoryWindow::HistoryWindow(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    auto* layout = new QVBoxLayout(this);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("HistoryProblem"));
    problem_->setWordWrap(true);
    problem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    problem_->setStyleSheet(QStringLiteral("color: rgb(200, 30, 30); font-weight: bold"));
    problem_->hide();
    layout->addWidget(problem_);

    // Installations over their inspections on the left, the points over the
    // trend on the right: each list has the height of what it holds.
    auto* split = new QSplitter(Qt::Horizontal, this);
    auto* left = new QSplitter(Qt::Vertical, split);
    installations_ = makeList(this, "HistoryInstallations", 4);
    auto* leftButtons = new QHBoxLayout;
    refreshButton_ = new QPushButton(this);
    refreshButton_->setObjectName(QStringLiteral("HistoryRefresh"));
    leftButtons->addWidget(refreshButton_);
    siteRulesButton_ = new QPushButton(this);
    siteRulesButton_->setObjectName(QStringLiteral("HistorySiteRules"));
    leftButtons->addWidget(siteRulesButton_);
    leftButtons->addStretch();
    left->addWidget(captioned(left, installationsLabel_, installations_, leftButtons));
    inspections_ = makeList(this, "HistoryInspections", 5);
    left->addWidget(captioned(left, inspectionsLabel_, inspections_));
    left->setStretchFactor(0, 2);
    left->setStretchFactor(1, 3);
    split->addWidget(left);

    auto* right = new QSplitter(Qt::Vertical, split);
    pointList_ = makeList(this, "HistoryPoints", 7);
    pointList_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* pointButtons = new QHBoxLayout;
    linkButton_ = new QPushButton(this);
    linkButton_->setObjectName(QStringLiteral("HistoryLinkPoint"));
    pointButtons->addWidget(linkButton_);
    unlinkButton_ = new QPushButton(this);
    unlinkButton_->setObjectName(QStringLiteral("HistoryUnlinkPoint"));
    pointButtons->addWidget(unlinkButton_);
    equipmentButton_ = new QPushButton(this);
    equipmentButton_->setObjectName(QStringLiteral("HistoryEditEquipment"));
    pointButtons->addWidget(equipmentButton_);
    copyEquipmentButton_ = new QPushButton(this);
    copyEquipmentButton_->setObjectName(QStringLiteral("HistoryCopyEquipment"));
    pointButtons->addWidget(copyEquipmentButton_);
    deleteEquipmentButton_ = new QPushButton(this);
    deleteEquipmentButton_->setObjectName(QStringLiteral("HistoryDeleteEquipment"));
    pointButtons->addWidget(deleteEquipmentButton_);
    pointButtons->addStretch();
    right->addWidget(captioned(right, pointsLabel_, pointList_, pointButtons));

    auto* chartBox = new QWidget(right);
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(2, 2, 2, 2);
    auto* quantityRow = new QHBoxLayout;
    // The test the trend follows, named beside the chart.
    testLabel_ = new QLabel(chartBox);
    tests_ = new QComboBox(chartBox);
    tests_->setObjectName(QStringLiteral("HistoryTest"));
    tests_->setMinimumContentsLength(16);
    testLabel_->setBuddy(tests_);
    quantityRow->addWidget(testLabel_);
    quantityRow->addWidget(tests_);
    quantityLabel_ = new QLabel(chartBox);
    quantities_ = new QComboBox(chartBox);
    quantities_->setObjectName(QStringLiteral("HistoryQuantity"));
    quantities_->setMinimumContentsLength(12);
    quantityLabel_->setBuddy(quantities_);
    quantityRow->addWidget(quantityLabel_);
    quantityRow->addWidget(quantities_);
    corrected_ = new QCheckBox(chartBox);
    corrected_->setObjectName(QStringLiteral("HistoryCorrected"));
    quantityRow->addWidget(corrected_);
    quantityRow->addStretch();
    equipmentLabel_ = new QLabel(chartBox);
    equipmentLabel_->setObjectName(QStringLiteral("HistoryEquipment"));
    quantityRow->addWidget(equipmentLabel_);
    chartLayout->addLayout(quantityRow);
    view_ = new QChartView(chartBox);
    view_->setObjectName(QStringLiteral("HistoryChart"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumHeight(280);
    chartLayout->addWidget(view_, 1);
    note_ = new QLabel(chartBox);
    note_->setObjectName(QStringLiteral("HistoryNote"));
    note_->setAlignment(Qt::AlignCenter);
    note_->setWordWrap(true);
    chartLayout->addWidget(note_);
    right->addWidget(chartBox);
    right->setStretchFactor(0, 1);
    right->setStretchFactor(1, 1);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setSizes({500, 740});
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    output_ = new ChartOutput(ctx_, this);
    closeButton_ = new QPushButton(this);
    closeButton_->setDefault(true);
    buttons->addWidget(output_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);

    pointMenu_ = new QMenu(pointList_);
    linkAction_ = pointMenu_->addAction(QString());
    linkAction_->setObjectName(QStringLiteral("&LinkPoint_30"));
    unlinkAction_ = pointMenu_->addAction(QString());
    unlinkAction_->setObjectName(QStringLiteral("&UnlinkPoint_30"));

    connect(installations_, &QTreeWidget::currentItemChanged, this, [this] {
        if (!filling_)
            selectInstallation(currentId(installations_));
    });
    connect(pointList_, &QTreeWidget::currentItemChanged, this, [this] {
        if (!filling_)
            selectPoint(currentId(pointList_));
    });
    connect(quantities_, &QComboBox::activated, this,
            [this](int index) { selectQuantity(long(quantities_->itemData(index).toLongLong())); });
    connect(tests_, &QComboBox::activated, this,
            [this](int index) { selectTest(long(tests_->itemData(index).toLongLong())); });
    connect(pointList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (pointList_->itemAt(at))
            pointMenu_->popup(pointList_->viewport()->mapToGlobal(at));
    });
    connect(linkAction_, &QAction::triggered, this, &HistoryWindow::linkSelectedPoint);
    connect(linkButton_, &QPushButton::clicked, this, &HistoryWindow::linkSelectedPoint);
    connect(unlinkAction_, &QAction::triggered, this, &HistoryWindow::unlinkSelectedPoint);
    connect(unlinkButton_, &QPushButton::clicked, this, &HistoryWindow::unlinkSelectedPoint);
    connect(refreshButton_, &QPushButton::clicked, this, &HistoryWindow::refresh);
    connect(siteRulesButton_, &QPushButton::clicked, this, &HistoryWindow::chooseSiteRules);
    connect(equipmentButton_, &QPushButton::clicked, this, &HistoryWindow::editSelectedEquipment);
    connect(copyEquipmentButton_, &QPushButton::clicked, this, &HistoryWindow::copySelectedEquipment);
    connect(deleteEquipmentButton_, &QPushButton::clicked, this, &HistoryWindow::deleteSelectedEquipment);
    connect(corrected_, &QCheckBox::toggled, this, &HistoryWindow::showCorrected);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    // Within a screen of 1280 by 800 pixels and its window frame.
    resize(1240, 760);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { HelpViewer::showTopic(ctx_, HelpContext, this); });
    applyTexts();
    redraw();
}

void HistoryWindow::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("History_30"));
    installationsLabel_->setText(t("HistInstallations_25"));
    inspectionsLabel_->setText(t("HistInspections_25"));
    pointsLabel_->setText(t("HistPoints_25"));
    quantityLabel_->setText(t("CmpQuantity_20"));
    testLabel_->setText(t("HistTest_20"));
    installations_->setHeaderLabels(
        {t("HistInstallation_25"), t("HistInspections_25"), t("HistFirst_20"), t("HistLast_20")});
    inspections_->setHeaderLabels(
        {t("Date_20"), t("HistFile_20"), t("Instrument_25"), t("SerialNumber_25"), t("Measurements_30")});
    pointList_->setHeaderLabels({t("CsvBlockNumber_20"), t("CsvBlockName_20"), t("CsvElementNumber_20"),
                                 t("CsvElementName_20"), t("HistLastRiso_20"), t("HistPreviousRiso_20"),
                                 t("CmpWarning_20")});
    linkAction_->setText(t("&LinkPoint_30"));
    linkButton_->setText(t("&LinkPoint_30"));
    unlinkAction_->setText(t("&UnlinkPoint_30"));
    unlinkButton_->setText(t("&UnlinkPoint_30"));
    refreshButton_->setText(t("&Refresh_15"));
    siteRulesButton_->setText(t("&SiteRules_30"));
    equipmentButton_->setText(t("&EditEquipment_30"));
    copyEquipmentButton_->setText(t("&CopyEquipment_30"));
    deleteEquipmentButton_->setText(t("&DeleteEquipment_30"));
    corrected_->setText(t("HistCorrected_40"));
    output_->applyTexts();
    closeButton_->setText(t("&Close_11"));
    if (archive_.isOpen()) {
        showInstallation(); // the download column and the chart's texts follow the language
    }
}

void HistoryWindow::setProblem(const QString& text)
{
    problem_->setText(text);
    problem_->setVisible(!text.isEmpty());
}

void HistoryWindow::showHistory()
{
    show();
    raise();
    activateWindow();
    refresh();
}

bool HistoryWindow::refresh()
{
    QString error;
    // A server that does not answer keeps the window waiting up to its
    // connection time-out: the pointer says so.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = openConfiguredArchive(ctx_.language.settings, archive_, &error);
    QGuiApplication::restoreOverrideCursor();
    if (!opened) {
        setProblem(ctx_.language.decode(ctx_.language.texts.text("HistoryCannotOpen_50")) + QStringLiteral(":\n") +
                   error);
        installationEntries_.clear();
        points_.clear();
        installations_->clear();
        inspections_->clear();
        pointList_->clear();
        quantities_->clear();
        tests_->clear();
        point_ = 0;
        redraw();
        return false;
    }
    setProblem(QString());
    QStringList problems;
    rules_ = loadRuleSets(ruleFolders(ctx_.language.programDir), &problems);
    choices_ = evaluationChoices(ctx_.language.settings);
    if (!problems.isEmpty())
        setProblem(problems.join(u'\n'));
    showInstallations();
    return true;
}

void HistoryWindow::showInstallations()
{
    QString error;
    const bool read = archive_.installations(installationEntries_, &error);
    if (!read)
        setProblem(error);
    filling_ = true;
    installations_->clear();
    for (const InstallationEntry& e : installationEntries_) {
        auto* item = new QTreeWidgetItem(installations_);
        item->setText(0, e.site);
        item->setToolTip(0, e.site);
        item->setText(1, QString::number(e.inspectionCount));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(2, dayText(e.firstInspection));
        item->setText(3, dayText(e.lastInspection));
        item->setData(0, IdRole, e.id);
    }
    for (int c = 0; c < 4; ++c)
        installations_->resizeColumnToContents(c);
    selectById(installations_, installation_);
    filling_ = false;
    if (installationEntries_.empty() && read)
        setProblem(ctx_.language.decode(ctx_.language.texts.text("HistoryEmpty_60")));
    installation_ = currentId(installations_);
    showInstallation();
}

void HistoryWindow::selectInstallation(qint64 installation)
{
    if (installation == installation_ && currentId(installations_) == installation)
        return;
    filling_ = true;
    selectById(installations_, installation);
    filling_ = false;
    installation_ = currentId(installations_);
    showInstallation();
}

void HistoryWindow::showInstallation()
{
    QString error;
    std::vector<InspectionEntry> list;
    points_.clear();
    siteRules_ = SiteRuleChoice();
    if (installation_ != 0 &&
        !(archive_.inspections(installation_, list, &error) && archive_.points(installation_, points_, &error) &&
          readSiteRules(archive_, installation_, siteRules_, &error)))
        setProblem(error);
    siteChoices_ = siteChoices(choices_, siteRules_);
    siteRulesButton_->setEnabled(installation_ != 0);
    judgeInstallation();
    std::stable_sort(list.begin(), list.end(),
                     [](const InspectionEntry& a, const InspectionEntry& b) { return a.takenAt < b.takenAt; });
    filling_ = true;
    inspections_->clear();
    const QString download = ctx_.language.decode(ctx_.language.texts.text("HistDownload_20"));
    for (const InspectionEntry& e : list) {
        auto* item = new QTreeWidgetItem(inspections_);
        item->setText(0, timeText(e.takenAt));
        item->setText(1, e.source.isEmpty() ? download : QFileInfo(e.source).fileName());
        item->setToolTip(1, e.source);
        item->setText(2, e.instrument);
        item->setToolTip(2, e.instrument);
        item->setText(3, e.serialNumber);
        item->setText(4, QString::number(e.measurementCount));
        item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, IdRole, e.id);
    }
    for (int c = 0; c < 4; ++c)
        inspections_->resizeColumnToContents(c);

    pointList_->clear();
    const QString fell = ctx_.language.decode(ctx_.language.texts.text("CmpResistanceHalved_60"));
    const QString below = ctx_.language.decode(ctx_.language.texts.text("ChartBelowLimit_25"));
    const QString fails = ctx_.language.decode(ctx_.language.texts.text("HistFailsMinimum_40"));
    const QString ratingFell = ctx_.language.decode(ctx_.language.texts.text("CmpRatingFell_60"));
    for (const PointEntry& p : points_) {
        auto* item = new QTreeWidgetItem(pointList_);
        item->setText(0, QString::number(p.block));
        item->setText(1, p.blockName);
        item->setText(2, QString::number(p.element));
        item->setText(3, p.elementName);
        item->setText(4, p.hasLast ? resistanceValueText(ctx_, p.last) : QString());
        item->setText(5, p.hasPrevious ? resistanceValueText(ctx_, p.previous) : QString());
        QStringList flags;
        if (p.fellByHalf)
            flags << fell;
        if (p.belowLimit)
            flags << below;
        const PointAttention judged = attentionOf(p.id);
        if (judged.failsMinimum)
            flags << fails;
        if (judged.ratingFell)
            flags << ratingFell;
        item->setText(6, flags.join(QStringLiteral("; ")));
        for (int c : {0, 2, 4, 5})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        if (p.needsAttention() || judged.any())
            for (int c = 0; c < 7; ++c)
                item->setForeground(c, Attention);
        item->setData(0, IdRole, p.id);
    }
    for (int c = 0; c < 6; ++c)
        pointList_->resizeColumnToContents(c);
    selectById(pointList_, point_);
    filling_ = false;
    point_ = currentId(pointList_);
    showPoint();
}

void HistoryWindow::selectPoint(qint64 point)
{
    filling_ = true;
    selectById(pointList_, point);
    filling_ = false;
    point_ = currentId(pointList_);
    showPoint();
}

void HistoryWindow::showPoint()
{
    QString error;
    std::vector<std::pair<long, QString>> tests;
    if (point_ != 0 && !archive_.testsOfPoint(point_, tests, &error))
        setProblem(error);
    tests_->clear();
    for (const auto& [function, name] : tests)
        tests_->addItem(name, qlonglong(function));
    if (!tests.empty())
        tests_->addItem(ctx_.language.decode(ctx_.language.texts.text("HistAnyTest_30")), qlonglong(AnyFunction));
    // The test and quantity the user chose where the point has them, else
    // the 1-minute insulation resistance.
    TrendChoice choice{function_, quantity_};
    if (!trendChosen_ || tests_->findData(qlonglong(function_)) < 0) {
        if (point_ != 0 && !insulationTrendChoice(archive_, point_, choice, &error))
            setProblem(error);
    }
    function_ = choice.function;
    tests_->setCurrentIndex(tests_->findData(qlonglong(function_)));
    showQuantities(choice.quantity);
    linkButton_->setEnabled(point_ != 0);
    linkAction_->setEnabled(point_ != 0);
    equipmentButton_->setEnabled(point_ != 0);
    copyEquipmentButton_->setEnabled(point_ != 0 && equipmentOf(point_) && points_.size() > 1);
    deleteEquipmentButton_->setEnabled(point_ != 0 && equipmentOf(point_));
    equipmentLabel_->setText(point_ != 0 ? equipmentSummary(equipmentOf(point_)) : QString());
    PointLink link;
    const bool linked = point_ != 0 && archive_.latestLink(point_, link);
    unlinkButton_->setEnabled(linked);
    unlinkAction_->setEnabled(linked);
    redraw();
}

void HistoryWindow::showQuantities(long preferred)
{
    QString error;
    std::vector<std::pair<long, QString>> list;
    if (point_ != 0 && !archive_.quantitiesOfPoint(point_, list, &error, function_))
        setProblem(error);
    quantities_->clear();
    for (const auto& [code, name] : list)
        quantities_->addItem(name, qlonglong(code));
    // The quantity preferred, else the insulation resistance, else the first.
    int index = quantities_->findData(qlonglong(preferred));
    if (index < 0)
        index = quantities_->findData(qlonglong(InsulationResistance));
    quantities_->setCurrentIndex(index < 0 ? 0 : index);
    if (quantities_->count() > 0)
        quantity_ = long(quantities_->currentData().toLongLong());
}

void HistoryWindow::selectTest(long function)
{
    const int index = tests_->findData(qlonglong(function));
    if (index < 0)
        return;
    tests_->setCurrentIndex(index);
    function_ = function;
    trendChosen_ = true;
    // The quantity shown where the test has it, else its 1-minute reading.
    long preferred = quantity_;
    std::vector<std::pair<long, QString>> list;
    if (archive_.quantitiesOfPoint(point_, list, nullptr, function) &&
        std::none_of(list.begin(), list.end(), [this](const auto& e) { return e.first == quantity_; }))
        preferred = function == 1 ? OneMinuteReading : InsulationResistance;
    showQuantities(preferred);
    redraw();
}

void HistoryWindow::selectQuantity(long quantity)
{
    const int index = quantities_->findData(qlonglong(quantity));
    if (index < 0)
        return;
    quantities_->setCurrentIndex(index);
    quantity_ = quantity;
    trendChosen_ = true;
    redraw();
}

void HistoryWindow::redraw()
{
    trend_ = Trend();
    QString error;
    bool read = false;
    PointTrend shown;
    if (archive_.isOpen() && point_ != 0 && quantities_->count() > 0) {
        read = readPointTrend(archive_, point_, TrendChoice{function_, quantity_}, equipmentOf(point_), rules_,
                              siteChoices_, shown, &error);
        if (!read)
            setProblem(error);
    }
    // A resistance trend can be corrected to the point's base temperature;
    // inspections tested far apart are warned of either way.
    trend_ = shown.measured;
    corrected_->setEnabled(read && shown.resistance);
    const bool corrected = read && shown.resistance && corrected_->isChecked();
    drawnTrend_ = corrected ? shown.correctedTrend : trend_;
    QStringList notes = read ? trendNotes(ctx_.language, shown, corrected) : QStringList();
    drawn_ = read && std::any_of(drawnTrend_.samples.begin(), drawnTrend_.samples.end(),
                                 [](const TrendSample& s) { return s.value.hasNumber; });
    QChart* old = view_->chart();
    view_->setChart(drawn_ ? makeTrendChart(ctx_, drawnTrend_) : new QChart);
    delete old;
    if (!drawn_ && point_ != 0 && notes.isEmpty())
        notes << ctx_.language.decode(ctx_.language.texts.text("HistNoTrend_60"));
    note_->setText(notes.join(u'\n'));
    note_->setVisible(!note_->text().isEmpty());
    if (drawn_)
        output_->setChart([this, trend = drawnTrend_] { return makeTrendChart(ctx_, trend); },
                          drawnTrend_.quantityName);
    else
        output_->clearChart();
}

namespace {

QString pointLabel(long block, long element, const QString& blockName, const QString& elementName)
{
    return QStringLiteral("%1/%2  %3 / %4").arg(block).arg(element).arg(blockName, elementName);
}

} // namespace

void HistoryWindow::linkSelectedPoint()
{
    if (point_ == 0)
        return;
    const auto chosen =
        std::find_if(points_.begin(), points_.end(), [&](const PointEntry& p) { return p.id == point_; });
    if (chosen == points_.end())
        return;
    // Points measured in one inspection with the chosen one are never the same point.
    QString error;
    std::vector<qint64> linkable;
    if (!archive_.linkablePoints(point_, linkable, &error)) {
        ctx_.language.prompts->message(
            MsgType::Error, ctx_.language.texts.text("HistLinkFailed_50") + "\r" + ctx_.language.encode(error), MbOK);
        return;
    }
    QStringList labels;
    std::vector<qint64> ids;
    for (const PointEntry& p : points_) {
        if (std::find(linkable.begin(), linkable.end(), p.id) == linkable.end())
            continue;
        QString label = pointLabel(p.block, p.element, p.blockName, p.elementName);
        if (p.hasLast)
            label += QStringLiteral("  (%1)").arg(resistanceValueText(ctx_, p.last));
        labels << label;
        ids.push_back(p.id);
    }
    if (ids.empty()) {
        ctx_.language.prompts->message(MsgType::Information, ctx_.language.texts.text("LinkPointNone_60"), MbOK);
        return;
    }
    const QString chosenLabel = pointLabel(chosen->block, chosen->element, chosen->blockName, chosen->elementName);
    const QString question =
        chosenLabel + QStringLiteral("\n\n") + ctx_.language.decode(ctx_.language.texts.text("LinkPointChoose_60"));
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("LinkPointDialog"));
    ask.setWindowTitle(ctx_.language.decode(ctx_.language.texts.text("LinkPoint_40")));
    ask.setMinimumWidth(560);
    auto* layout = new QVBoxLayout(&ask);
    layout->addWidget(new QLabel(question, &ask));
    auto* choices = new QComboBox(&ask);
    choices->setObjectName(QStringLiteral("LinkPointChoice"));
    choices->addItems(labels);
    // Nothing is chosen for the user: a wrong link joins two histories.
    choices->setCurrentIndex(-1);
    layout->addWidget(choices);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(ctx_.language.decode(ctx_.language.texts.text("&OK_11")), &ask);
    ok->setObjectName(QStringLiteral("LinkPointOK"));
    ok->setDefault(true);
    ok->setEnabled(false);
    auto* cancel = new QPushButton(ctx_.language.decode(ctx_.language.texts.text("&Cancel_11")), &ask);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(choices, &QComboBox::currentIndexChanged, ok, [ok](int index) { ok->setEnabled(index >= 0); });
    connect(ok, &QPushButton::clicked, &ask, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &ask, &QDialog::reject);
    if (ask.exec() != QDialog::Accepted || choices->currentIndex() < 0)
        return;
    const qint64 earlier = ids[size_t(choices->currentIndex())];
    const QString earlierLabel = labels[choices->currentIndex()];
    if (ctx_.language.prompts->message(MsgType::Confirmation,
                                       ctx_.language.texts.text("LinkPointConfirm_60") + "\r" +
                                           ctx_.language.encode(chosenLabel) + "\r" +
                                           ctx_.language.encode(earlierLabel),
                                       MbYes | MbNo) != MbYes)
        return;
    LinkRefusal refusal;
    if (!archive_.linkPoints(point_, earlier, &error, &refusal)) {
        const char* reason = linkRefusalKey(refusal);
        ctx_.language.prompts->message(MsgType::Error,
                                       ctx_.language.texts.text("HistLinkFailed_50") + "\r" +
                                           (reason ? ctx_.language.texts.text(reason) : ctx_.language.encode(error)),
                                       MbOK);
        return;
    }
    // The renamed point is gone: its measurements are the earlier point's now.
    point_ = earlier;
    showInstallation();
}

void HistoryWindow::unlinkSelectedPoint()
{
    std::optional<PointLink> found;
    QString error;
    const auto chosen =
        std::find_if(points_.begin(), points_.end(), [&](const PointEntry& p) { return p.id == point_; });
    if (chosen == points_.end())
        return;
    if (!archive_.latestLink(point_, found, &error)) {
        ctx_.language.prompts->message(
            MsgType::Error, ctx_.language.texts.text("HistUnlinkFailed_50") + "\r" + ctx_.language.encode(error), MbOK);
        return;
    }
    if (!found)
        return;
    const PointLink& link = *found;
    if (ctx_.language.prompts->message(
            MsgType::Confirmation,
            ctx_.language.texts.text("UnlinkPointConfirm_60") + "\r" +
                ctx_.language.encode(
                    link.keptBlock
                        ? pointLabel(link.keptBlock, link.keptElement, link.keptBlockName, link.keptElementName)
                        : pointLabel(chosen->block, chosen->element, chosen->blockName, chosen->elementName)) +
                "\r" + ctx_.language.encode(pointLabel(link.block, link.element, link.blockName, link.elementName)),
            MbYes | MbNo) != MbYes)
        return;
    if (!archive_.unlinkPoint(point_, &error)) {
        ctx_.language.prompts->message(
            MsgType::Error, ctx_.language.texts.text("HistUnlinkFailed_50") + "\r" + ctx_.language.encode(error), MbOK);
        return;
    }
    showInstallation();
}

void HistoryWindow::judgeInstallation()
{
    equipment_.clear();
    attention_.clear();
    if (installation_ == 0)
        return;
    QString error;
    std::vector<PointEquipmentEntry> entries;
    if (!installationEquipment(archive_, installation_, entries, &error))
        setProblem(error);
    for (PointEquipmentEntry& e : entries)
        equipment_.emplace(e.point, std::move(e.data));
    if (!zentrova::judgeInstallation(archive_, installation_, equipment_, rules_, siteChoices_, attention_, &error))
        setProblem(error);
    // Those needing attention first, in the archive's order otherwise.
    std::stable_partition(points_.begin(), points_.end(),
                          [this](const PointEntry& p) { return p.needsAttention() || attentionOf(p.id).any(); });
}

PointAttention HistoryWindow::attentionOf(qint64 point) const
{
    const auto found = attention_.find(point);
    return found == attention_.end() ? PointAttention() : found->second;
}

const EquipmentData* HistoryWindow::equipmentOf(qint64 point) const
{
    const auto found = equipment_.find(point);
    return found == equipment_.end() ? nullptr : &found->second;
}

QString HistoryWindow::equipmentSummary(const EquipmentData* data) const
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    if (!data)
        return t("EqNone_30");
    QString summary = t("HistEquipment_25") + QStringLiteral(": ") + equipmentDetails(*data);
    // A transformer stored before liquid-filled and dry-type were told apart,
    // on a line of its own so that the window keeps its width.
    if (transformerKindUnchosen(data->type))
        summary += QStringLiteral("\n(") + t("EqTransformerUnchosen_60") + u')';
    return summary;
}

QString HistoryWindow::equipmentDetails(const EquipmentData& data) const
{
    QString text = ctx_.language.decode(ctx_.language.texts.text(EquipmentTypeKeys[int(data.type)]));
    if (data.ratedKv)
        text += QStringLiteral(", %1 kV").arg(*data.ratedKv);
    if (data.thermalClass)
        text += QStringLiteral(", %1").arg(QString::fromLatin1(thermalClassName(*data.thermalClass)));
    if (data.testTemperature)
        text += QStringLiteral(", %1 °C").arg(*data.testTemperature);
    return text;
}

void HistoryWindow::showCorrected(bool corrected)
{
    if (corrected_->isChecked() != corrected)
        corrected_->setChecked(corrected); // toggled calls here again
    else
        redraw();
}

bool HistoryWindow::changeArchive(const std::function<bool(HistoryArchive&, QString*)>& change, const char* failedKey)
{
    QString error;
    HistoryArchive writer;
    // The archive the window reads is changed, never made anew where it went missing.
    const bool changed = writer.open(archive_.location(), ArchiveAccess::Change, &error) &&
                         writer.openForWriting(&error) && change(writer, &error);
    if (!changed)
        ctx_.language.prompts->message(MsgType::Error,
                                       ctx_.language.texts.text(failedKey) + "\r" + ctx_.language.encode(error), MbOK);
    writer.close();
    // The window's own connection reads what it read before: read it anew.
    refresh();
    return changed;
}

bool HistoryWindow::storeEquipment(const std::vector<qint64>& points, const EquipmentData& data)
{
    return changeArchive(
        [&](HistoryArchive& writer, QString* error) {
            return std::all_of(points.begin(), points.end(),
                               [&](qint64 p) { return writePointEquipment(writer, p, data, error); });
        },
        "EqStoreFailed_50");
}

void HistoryWindow::chooseSiteRules()
{
    const auto site = std::find_if(installationEntries_.begin(), installationEntries_.end(),
                                   [&](const InstallationEntry& e) { return e.id == installation_; });
    if (site == installationEntries_.end())
        return;
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("SiteRulesDialog"));
    ask.setWindowTitle(t("SiteRules_40"));
    ask.setMinimumWidth(560);
    auto* layout = new QVBoxLayout(&ask);
    // The note wraps: the dialog is as tall as the wrapped note needs.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(new QLabel(site->site, &ask));
    auto* note = new QLabel(t("SiteRulesChoose_60"), &ask);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* form = new QFormLayout;
    std::vector<QComboBox*> lists;
    const VerdictTexts ruleTexts(ctx_.language.texts, ctx_.language.languageFiles.codec());
    for (int type = 0; type < EquipmentTypeCount; ++type) {
        auto* list = new QComboBox(&ask);
        list->setObjectName(QStringLiteral("SiteRulesCorrection%1").arg(type));
        // First what the settings choose, then every correction rule set by its title.
        // A rule set the settings chose that is not installed here is named as missing.
        std::string missing;
        const RuleSet* settings = rules_.correctionFor(EquipmentType(type), choices_, &missing);
        QString asSettings = settings ? ruleTexts.ruleText(settings->title) : t("EqNotSet_20");
        if (!missing.empty())
            asSettings = fillTemplate(t("SiteRulesNotInstalled_30"), {{"id", QString::fromStdString(missing)}});
        list->addItem(t("SiteRulesAsSettings_30") + QStringLiteral(": ") + asSettings, QString());
        for (const RuleSet* set : rules_.ofKind(RuleKind::Correction))
            list->addItem(ruleTexts.ruleText(set->title), QString::fromStdString(set->id));
        // A choice whose rule set is no longer there stays offered, by its id.
        const QString chosen = QString::fromStdString(siteRules_.correctionFor[type]);
        if (!chosen.isEmpty() && list->findData(chosen) < 0)
            list->addItem(chosen, chosen);
        list->setCurrentIndex(std::max(0, list->findData(chosen)));
        form->addRow(t(EquipmentTypeKeys[type]), list);
        lists.push_back(list);
    }
    layout->addLayout(form);
    QPushButton* ok = addOkCancel(ctx_, ask, layout, "SiteRulesOK");
    connect(ok, &QPushButton::clicked, &ask, &QDialog::accept);
    if (ask.exec() != QDialog::Accepted)
        return;
    SiteRuleChoice choice;
    for (int type = 0; type < EquipmentTypeCount; ++type)
        choice.correctionFor[type] = lists[size_t(type)]->currentData().toString().toStdString();
    if (choice == siteRules_)
        return;
    const qint64 installation = installation_;
    changeArchive(
        [&](HistoryArchive& writer, QString* error) { return writeSiteRules(writer, installation, choice, error); },
        "SiteRulesFailed_50");
}

void HistoryWindow::deleteSelectedEquipment()
{
    const auto chosen =
        std::find_if(points_.begin(), points_.end(), [&](const PointEntry& p) { return p.id == point_; });
    if (chosen == points_.end() || !equipmentOf(point_))
        return;
    const QString label = pointLabel(chosen->block, chosen->element, chosen->blockName, chosen->elementName);
    if (ctx_.language.prompts->message(MsgType::Confirmation,
                                       ctx_.language.texts.text("EqDeleteConfirm_60") + "\r" +
                                           ctx_.language.encode(label) + "\r" +
                                           ctx_.language.encode(equipmentSummary(equipmentOf(point_))),
                                       MbYes | MbNo) != MbYes)
        return;
    const qint64 point = point_;
    changeArchive(
        [point](HistoryArchive& writer, QString* error) {
            bool deleted = false;
            return deletePointEquipment(writer, point, deleted, error);
        },
        "EqDeleteFailed_50");
}

void HistoryWindow::editSelectedEquipment()
{
    const auto chosen =
        std::find_if(points_.begin(), points_.end(), [&](const PointEntry& p) { return p.id == point_; });
    if (chosen == points_.end())
        return;
    EquipmentData data = equipmentOf(point_) ? *equipmentOf(point_) : EquipmentData();
    if (askEquipment(ctx_, this, pointLabel(chosen->block, chosen->element, chosen->blockName, chosen->elementName),
                     data))
        storeEquipment({point_}, data);
}

void HistoryWindow::copySelectedEquipment()
{
    const EquipmentData* data = equipmentOf(point_);
    const auto chosen =
        std::find_if(points_.begin(), points_.end(), [&](const PointEntry& p) { return p.id == point_; });
    if (!data || chosen == points_.end())
        return;
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("CopyEquipmentDialog"));
    ask.setWindowTitle(t("CopyEquipment_40"));
    ask.setMinimumWidth(560);
    auto* layout = new QVBoxLayout(&ask);
    layout->addWidget(new QLabel(pointLabel(chosen->block, chosen->element, chosen->blockName, chosen->elementName) +
                                     QStringLiteral("\n") + equipmentSummary(data) + QStringLiteral("\n\n") +
                                     t("EqCopyChoose_60"),
                                 &ask));
    auto* list = new QListWidget(&ask);
    list->setObjectName(QStringLiteral("CopyEquipmentPoints"));
    // A point that has data says so, and what it is: the copy would replace it.
    QFont marked = list->font();
    marked.setItalic(true);
    for (const PointEntry& p : points_) {
        if (p.id == point_)
            continue;
        QString label = pointLabel(p.block, p.element, p.blockName, p.elementName);
        const EquipmentData* has = equipmentOf(p.id);
        if (has)
            label +=
                QStringLiteral("    (") + t("EqCopyHasData_30") + QStringLiteral(": ") + equipmentDetails(*has) + u')';
        auto* item = new QListWidgetItem(label, list);
        if (has)
            item->setFont(marked);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(IdRole, p.id);
    }
    layout->addWidget(list);
    QPushButton* ok = addOkCancel(ctx_, ask, layout, "CopyEquipmentOK");
    connect(ok, &QPushButton::clicked, &ask, &QDialog::accept);
    if (ask.exec() != QDialog::Accepted)
        return;
    std::vector<qint64> targets;
    QStringList replaced;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) {
            const qint64 id = list->item(i)->data(IdRole).toLongLong();
            targets.push_back(id);
            if (equipmentOf(id))
                replaced << list->item(i)->text();
        }
    if (targets.empty())
        return;
    // Data is replaced only once the user has seen whose.
    if (!replaced.isEmpty()) {
        // A dozen named, and the rest counted; one more is named rather than counted.
        constexpr qsizetype NamedPoints = 12;
        const qsizetype named = replaced.size() <= NamedPoints + 1 ? replaced.size() : NamedPoints;
        std::string question = ctx_.language.texts.text("EqCopyReplace_60");
        for (qsizetype i = 0; i < named; ++i)
            question += "\r" + ctx_.language.encode(replaced[i]);
        if (named < replaced.size())
            question += "\r" + ctx_.language.encode(
                                   t("EqCopyReplaceMore_30")
                                       .replace(QStringLiteral("{count}"), QString::number(replaced.size() - named)));
        if (ctx_.language.prompts->message(MsgType::Confirmation, question, MbYes | MbNo) != MbYes)
            return;
    }
    storeEquipment(targets, EquipmentData(*data)); // the copy: storing shows the installation again
}

} // namespace zentrova
