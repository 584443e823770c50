// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/windows/HistoryWindow.h"

#include "base/Prompts.h"
#include "history/HistoryCommands.h"
#include "history/windows/TrendChart.h"
#include "shell/AppContext.h"
#include "shell/windows/HelpViewer.h"
#include "structure/MeasuredValue.h"
#include "structure/windows/ChartOutput.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zentrova {

namespace {

const QColor Attention(200, 30, 30);
constexpr int IdRole = Qt::UserRole;
// The instrument's number of the insulation resistance Riso, shown first.
constexpr long InsulationResistance = 1;

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
    return ctx.decode(prefixedValueText(v));
}

qint64 currentId(const QTreeWidget* list)
{
    const QTreeWidgetItem* item = list->currentItem();
    return item ? item->data(0, IdRole).toLongLong() : 0;
}

} // namespace

HistoryWindow::HistoryWindow(AppContext& context, QWidget* parent) : QDialog(parent), ctx(context)
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
    pointButtons->addStretch();
    right->addWidget(captioned(right, pointsLabel_, pointList_, pointButtons));

    auto* chartBox = new QWidget(right);
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(2, 2, 2, 2);
    auto* quantityRow = new QHBoxLayout;
    quantityLabel_ = new QLabel(chartBox);
    quantities_ = new QComboBox(chartBox);
    quantities_->setObjectName(QStringLiteral("HistoryQuantity"));
    quantities_->setMinimumContentsLength(12);
    quantityLabel_->setBuddy(quantities_);
    quantityRow->addWidget(quantityLabel_);
    quantityRow->addWidget(quantities_);
    quantityRow->addStretch();
    chartLayout->addLayout(quantityRow);
    view_ = new QChartView(chartBox);
    view_->setObjectName(QStringLiteral("HistoryChart"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumHeight(280);
    chartLayout->addWidget(view_, 1);
    note_ = new QLabel(chartBox);
    note_->setObjectName(QStringLiteral("HistoryNote"));
    note_->setAlignment(Qt::AlignCenter);
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
    output_ = new ChartOutput(ctx, this);
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
    connect(pointList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (pointList_->itemAt(at))
            pointMenu_->popup(pointList_->viewport()->mapToGlobal(at));
    });
    connect(linkAction_, &QAction::triggered, this, &HistoryWindow::linkSelectedPoint);
    connect(linkButton_, &QPushButton::clicked, this, &HistoryWindow::linkSelectedPoint);
    connect(unlinkAction_, &QAction::triggered, this, &HistoryWindow::unlinkSelectedPoint);
    connect(unlinkButton_, &QPushButton::clicked, this, &HistoryWindow::unlinkSelectedPoint);
    connect(refreshButton_, &QPushButton::clicked, this, &HistoryWindow::refresh);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    // Within a screen of 1280 by 800 pixels and its window frame.
    resize(1240, 760);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { HelpViewer::showTopic(ctx, HelpContext, this); });
    applyTexts();
    redraw();
}

void HistoryWindow::applyTexts()
{
    auto t = [&](const char* key) { return ctx.decode(ctx.texts.text(key)); };
    setWindowTitle(t("History_30"));
    installationsLabel_->setText(t("HistInstallations_25"));
    inspectionsLabel_->setText(t("HistInspections_25"));
    pointsLabel_->setText(t("HistPoints_25"));
    quantityLabel_->setText(t("CmpQuantity_20"));
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
    const bool opened = openConfiguredArchive(ctx.settings, archive_, &error);
    QGuiApplication::restoreOverrideCursor();
    if (!opened) {
        setProblem(ctx.decode(ctx.texts.text("HistoryCannotOpen_50")) + QStringLiteral(":\n") + error);
        installationEntries_.clear();
        points_.clear();
        installations_->clear();
        inspections_->clear();
        pointList_->clear();
        quantities_->clear();
        point_ = 0;
        redraw();
        return false;
    }
    setProblem(QString());
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
        setProblem(ctx.decode(ctx.texts.text("HistoryEmpty_60")));
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
    if (installation_ != 0 &&
        !(archive_.inspections(installation_, list, &error) && archive_.points(installation_, points_, &error)))
        setProblem(error);
    std::stable_sort(list.begin(), list.end(),
                     [](const InspectionEntry& a, const InspectionEntry& b) { return a.takenAt < b.takenAt; });
    filling_ = true;
    inspections_->clear();
    const QString download = ctx.decode(ctx.texts.text("HistDownload_20"));
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
    const QString fell = ctx.decode(ctx.texts.text("CmpResistanceHalved_60"));
    const QString below = ctx.decode(ctx.texts.text("ChartBelowLimit_25"));
    for (const PointEntry& p : points_) {
        auto* item = new QTreeWidgetItem(pointList_);
        item->setText(0, QString::number(p.block));
        item->setText(1, p.blockName);
        item->setText(2, QString::number(p.element));
        item->setText(3, p.elementName);
        item->setText(4, p.hasLast ? resistanceValueText(ctx, p.last) : QString());
        item->setText(5, p.hasPrevious ? resistanceValueText(ctx, p.previous) : QString());
        QStringList flags;
        if (p.fellByHalf)
            flags << fell;
        if (p.belowLimit)
            flags << below;
        item->setText(6, flags.join(QStringLiteral("; ")));
        for (int c : {0, 2, 4, 5})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        if (p.needsAttention())
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
    std::vector<std::pair<long, QString>> list;
    if (point_ != 0 && !archive_.quantitiesOfPoint(point_, list, &error))
        setProblem(error);
    quantities_->clear();
    for (const auto& [code, name] : list)
        quantities_->addItem(name, qlonglong(code));
    // The quantity chosen before, else the insulation resistance, else the first.
    int index = quantities_->findData(qlonglong(quantity_));
    if (index < 0)
        index = quantities_->findData(qlonglong(InsulationResistance));
    quantities_->setCurrentIndex(index < 0 ? 0 : index);
    if (quantities_->count() > 0)
        quantity_ = long(quantities_->currentData().toLongLong());
    linkButton_->setEnabled(point_ != 0);
    linkAction_->setEnabled(point_ != 0);
    PointLink link;
    const bool linked = point_ != 0 && archive_.latestLink(point_, link);
    unlinkButton_->setEnabled(linked);
    unlinkAction_->setEnabled(linked);
    redraw();
}

void HistoryWindow::selectQuantity(long quantity)
{
    const int index = quantities_->findData(qlonglong(quantity));
    if (index < 0)
        return;
    quantities_->setCurrentIndex(index);
    quantity_ = quantity;
    redraw();
}

void HistoryWindow::redraw()
{
    trend_ = Trend();
    QString error;
    bool read = false;
    if (archive_.isOpen() && point_ != 0 && quantities_->count() > 0) {
        read = archive_.trend(point_, quantity_, trend_, &error);
        if (!read)
            setProblem(error);
    }
    drawn_ = read && std::any_of(trend_.samples.begin(), trend_.samples.end(),
                                 [](const TrendSample& s) { return s.value.hasNumber; });
    QChart* old = view_->chart();
    view_->setChart(drawn_ ? makeTrendChart(ctx, trend_) : new QChart);
    delete old;
    note_->setText(drawn_ || point_ == 0 ? QString() : ctx.decode(ctx.texts.text("HistNoTrend_60")));
    note_->setVisible(!note_->text().isEmpty());
    if (drawn_)
        output_->setChart([this, trend = trend_] { return makeTrendChart(ctx, trend); }, trend_.quantityName);
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
        ctx.prompts->message(MsgType::Error, ctx.texts.text("HistLinkFailed_50") + "\r" + ctx.encode(error), MbOK);
        return;
    }
    QStringList labels;
    std::vector<qint64> ids;
    for (const PointEntry& p : points_) {
        if (std::find(linkable.begin(), linkable.end(), p.id) == linkable.end())
            continue;
        QString label = pointLabel(p.block, p.element, p.blockName, p.elementName);
        if (p.hasLast)
            label += QStringLiteral("  (%1)").arg(resistanceValueText(ctx, p.last));
        labels << label;
        ids.push_back(p.id);
    }
    if (ids.empty()) {
        ctx.prompts->message(MsgType::Information, ctx.texts.text("LinkPointNone_60"), MbOK);
        return;
    }
    const QString chosenLabel = pointLabel(chosen->block, chosen->element, chosen->blockName, chosen->elementName);
    const QString question = chosenLabel + QStringLiteral("\n\n") + ctx.decode(ctx.texts.text("LinkPointChoose_60"));
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("LinkPointDialog"));
    ask.setWindowTitle(ctx.decode(ctx.texts.text("LinkPoint_40")));
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
    auto* ok = new QPushButton(ctx.decode(ctx.texts.text("&OK_11")), &ask);
    ok->setObjectName(QStringLiteral("LinkPointOK"));
    ok->setDefault(true);
    ok->setEnabled(false);
    auto* cancel = new QPushButton(ctx.decode(ctx.texts.text("&Cancel_11")), &ask);
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
    if (ctx.prompts->message(MsgType::Confirmation,
                             ctx.texts.text("LinkPointConfirm_60") + "\r" + ctx.encode(chosenLabel) + "\r" +
                                 ctx.encode(earlierLabel),
                             MbYes | MbNo) != MbYes)
        return;
    LinkRefusal refusal;
    if (!archive_.linkPoints(point_, earlier, &error, &refusal)) {
        const char* reason = linkRefusalKey(refusal);
        ctx.prompts->message(
            MsgType::Error,
            ctx.texts.text("HistLinkFailed_50") + "\r" + (reason ? ctx.texts.text(reason) : ctx.encode(error)), MbOK);
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
        ctx.prompts->message(MsgType::Error, ctx.texts.text("HistUnlinkFailed_50") + "\r" + ctx.encode(error), MbOK);
        return;
    }
    if (!found)
        return;
    const PointLink& link = *found;
    if (ctx.prompts->message(
            MsgType::Confirmation,
            ctx.texts.text("UnlinkPointConfirm_60") + "\r" +
                ctx.encode(link.keptBlock
                               ? pointLabel(link.keptBlock, link.keptElement, link.keptBlockName, link.keptElementName)
                               : pointLabel(chosen->block, chosen->element, chosen->blockName, chosen->elementName)) +
                "\r" + ctx.encode(pointLabel(link.block, link.element, link.blockName, link.elementName)),
            MbYes | MbNo) != MbYes)
        return;
    if (!archive_.unlinkPoint(point_, &error)) {
        ctx.prompts->message(MsgType::Error, ctx.texts.text("HistUnlinkFailed_50") + "\r" + ctx.encode(error), MbOK);
        return;
    }
    showInstallation();
}

} // namespace zentrova
