// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/windows/PortDialog.h"

#include "base/Progress.h"
#include "base/Prompts.h"
#include "comm/Exchange.h"
#include "comm/InstrumentLink.h"
#include "comm/PortDirectory.h"
#include "shell/AppContext.h"
#include "shell/windows/BackgroundWork.h"
#include "shell/windows/HelpViewer.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zentrova {

namespace {

constexpr int DeviceColumn = 1;

// The device column's editor: an editable list of the devices present.
class DeviceDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        if (index.column() != DeviceColumn)
            return nullptr;
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->addItem(QString());
        for (const SerialDevice& d : presentSerialDevices())
            box->addItem(d.path);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QComboBox*>(editor)->setEditText(index.data(Qt::UserRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText().trimmed(), Qt::UserRole);
    }
};

} // namespace

PortDialog::PortDialog(AppContext& context, InstrumentLink& l, QWidget* parent)
    : QDialog(parent), ctx_(context), link(l), clock_(&systemClock()), ownRunner_(context.language)
{
    setObjectName(QStringLiteral("ConfigureCOM"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;

    auto* portColumn = new QVBoxLayout;
    portLabel = new QLabel(this);
    portList_ = new QTreeWidget(this);
    portList_->setObjectName(QStringLiteral("PortList"));
    portList_->setColumnCount(2);
    portList_->setHeaderHidden(true);
    portList_->setRootIsDecorated(false);
    portList_->setItemDelegate(new DeviceDelegate(portList_));
    portList_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    for (int n = 1; n <= PortEntryCount; ++n) {
        auto* item = new QTreeWidgetItem(portList_, QStringList{portEntryName(n), QString()});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    portList_->setMinimumWidth(330);
    // All sixteen entries in sight.
    portList_->setMinimumHeight(portList_->sizeHintForRow(0) * PortEntryCount + 2 * portList_->frameWidth() + 2);
    portList_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    portColumn->addWidget(portLabel);
    portColumn->addWidget(portList_);

    auto* baudColumn = new QVBoxLayout;
    baudLabel = new QLabel(this);
    baudList_ = new QListWidget(this);
    baudList_->setObjectName(QStringLiteral("BaudList"));
    for (const char* rate : BaudEntries)
        baudList_->addItem(QString::fromLatin1(rate));
    baudList_->setMaximumWidth(110);
    baudColumn->addWidget(baudLabel);
    baudColumn->addWidget(baudList_);
    lists->addLayout(portColumn, 1);
    lists->addLayout(baudColumn);
    layout->addLayout(lists);

    auto* deviceRow = new QHBoxLayout;
    deviceLabel = new QLabel(this);
    deviceEdit_ = new QComboBox(this);
    deviceEdit_->setObjectName(QStringLiteral("DeviceEdit"));
    deviceEdit_->setEditable(true);
    deviceEdit_->setInsertPolicy(QComboBox::NoInsert);
    // A long /dev/serial/by-id name must not widen the dialog.
    deviceEdit_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    deviceEdit_->setMinimumContentsLength(20);
    deviceLabel->setBuddy(deviceEdit_);
    otherDeviceBtn = new QPushButton(this);
    otherDeviceBtn->setObjectName(QStringLiteral("OtherDeviceBtn"));
    otherDeviceBtn->setAutoDefault(false);
    deviceRow->addWidget(deviceLabel);
    deviceRow->addWidget(deviceEdit_, 1);
    deviceRow->addWidget(otherDeviceBtn);
    layout->addLayout(deviceRow);

    // The buttons, and in their place while a search runs, the search panel:
    // one stack as tall as the taller of them, so that neither the dialog
    // nor its buttons move when a search starts or ends.
    actions_ = new QStackedWidget(this);
    buttonPanel = new QWidget(actions_);
    auto* buttons = new QHBoxLayout(buttonPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    autoFindBtn = new QPushButton(buttonPanel);
    okButton_ = new QPushButton(buttonPanel);
    cancelBtn = new QPushButton(buttonPanel);
    okButton_->setDefault(true);
    // What the last Auto Find found, beside its button.
    foundLabel_ = new QLabel(buttonPanel);
    foundLabel_->setObjectName(QStringLiteral("FoundLabel"));
    // The text must not widen the dialog.
    foundLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    buttons->addWidget(autoFindBtn);
    buttons->addWidget(foundLabel_, 1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelBtn);
    searchPanel_ = new QWidget(actions_);
    auto* search = new QHBoxLayout(searchPanel_);
    search->setContentsMargins(0, 0, 0, 0);
    auto* searchLabels = new QVBoxLayout;
    searchLabel1 = new QLabel(searchPanel_);
    searchLabel2 = new QLabel(searchPanel_);
    searchLabels->addWidget(searchLabel1);
    searchLabels->addWidget(searchLabel2);
    search->addLayout(searchLabels, 1);
    searchCancelBtn = new QPushButton(searchPanel_);
    search->addWidget(searchCancelBtn);
    actions_->addWidget(buttonPanel);
    actions_->addWidget(searchPanel_);
    layout->addWidget(actions_);

    connect(okButton_, &QPushButton::clicked, this, &PortDialog::accept);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(autoFindBtn, &QPushButton::clicked, this, &PortDialog::autoFindPort);
    connect(searchCancelBtn, &QPushButton::clicked, this, &PortDialog::cancelSearch);
    connect(portList_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != DeviceColumn)
            return;
        editedDevices_[portList_->indexOfTopLevelItem(item) + 1] = item->data(DeviceColumn, Qt::UserRole).toString();
        refreshDevices();
        if (item == portList_->currentItem())
            showEntryDevice();
    });
    connect(portList_, &QTreeWidget::currentItemChanged, this, &PortDialog::showEntryDevice);
    connect(deviceEdit_, &QComboBox::editTextChanged, this, &PortDialog::chooseDevice);
    // The other entries' automatic devices follow once the path is complete.
    connect(deviceEdit_->lineEdit(), &QLineEdit::editingFinished, this, &PortDialog::refreshDevices);
    connect(deviceEdit_, &QComboBox::activated, this, &PortDialog::refreshDevices);
    connect(otherDeviceBtn, &QPushButton::clicked, this, &PortDialog::browseDevice);
    applyTexts();
}

void PortDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("ConfigureCOMPort_30"));
    portLabel->setText(t("COMPort_20"));
    baudLabel->setText(t("BaudRAte_20"));
    okButton_->setText(t("&OK_11"));
    cancelBtn->setText(t("&Cancel_11"));
    autoFindBtn->setText(t("&AutoFind_11"));
    searchLabel1->setText(t("SearchConfig_25"));
    searchLabel2->setText(t("Wait_25"));
    searchCancelBtn->setText(t("&Cancel_11"));
    deviceLabel->setText(t("Device_20"));
    otherDeviceBtn->setText(t("&OtherDevice_11"));
}

PortChoice PortDialog::listSelection() const
{
    PortChoice c;
    const QTreeWidgetItem* item = portList_->currentItem();
    c.port = item ? portList_->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : 0;
    c.baud = baudList_->currentRow() >= 0 ? baudList_->currentRow() : 0;
    return c;
}

void PortDialog::selectInLists(const PortChoice& c)
{
    if (QTreeWidgetItem* item = portList_->topLevelItem(c.port))
        portList_->setCurrentItem(item, 0);
    baudList_->setCurrentRow(c.baud);
}

QString PortDialog::chosenDevice(int portNumber) const
{
    const auto edited = editedDevices_.find(portNumber);
    if (edited != editedDevices_.end())
        return edited->second;
    const PortDirectory* dir = link.directory();
    return dir ? dir->chosenDevice(portNumber) : QString();
}

void PortDialog::refreshDevices()
{
    const PortDirectory* dir = link.directory();
    std::array<QString, PortEntryCount> chosen;
    for (int n = 1; n <= PortEntryCount; ++n)
        chosen[size_t(n - 1)] = chosenDevice(n);
    const auto devices = assignPortDevices(chosen, dir ? presentSerialDevices() : std::vector<SerialDevice>{});
    filling_ = true;
    for (int i = 0; i < PortEntryCount; ++i) {
        QTreeWidgetItem* item = portList_->topLevelItem(i);
        item->setText(DeviceColumn, devices[size_t(i)]);
        item->setData(DeviceColumn, Qt::UserRole, chosen[size_t(i)]);
        // A chosen device is shown as such; an automatic one in grey.
        item->setForeground(DeviceColumn, chosen[size_t(i)].isEmpty() ? palette().brush(QPalette::PlaceholderText)
                                                                      : palette().brush(QPalette::Text));
    }
    filling_ = false;
    // An entry without a choice shows the device it gets as a hint.
    if (const QTreeWidgetItem* item = portList_->currentItem())
        deviceEdit_->lineEdit()->setPlaceholderText(item->text(DeviceColumn));
}

void PortDialog::showEntryDevice()
{
    const QTreeWidgetItem* item = portList_->currentItem();
    const bool wasFilling = filling_;
    filling_ = true;
    deviceEdit_->setEditText(item ? item->data(DeviceColumn, Qt::UserRole).toString() : QString());
    deviceEdit_->lineEdit()->setPlaceholderText(item ? item->text(DeviceColumn) : QString());
    filling_ = wasFilling;
}

void PortDialog::fillDeviceChoices()
{
    const bool wasFilling = filling_;
    filling_ = true;
    deviceEdit_->clear();
    deviceEdit_->addItem(QString());
    if (link.directory()) {
        for (const SerialDevice& d : presentSerialDevices()) {
            deviceEdit_->addItem(d.path);
            if (!d.description.isEmpty())
                deviceEdit_->setItemData(deviceEdit_->count() - 1, d.description, Qt::ToolTipRole);
        }
    }
    filling_ = wasFilling;
}

void PortDialog::chooseDevice(const QString& text)
{
    QTreeWidgetItem* item = portList_->currentItem();
    if (filling_ || !item)
        return;
    const QString path = text.trimmed();
    editedDevices_[portList_->indexOfTopLevelItem(item) + 1] = path;
    filling_ = true;
    item->setData(DeviceColumn, Qt::UserRole, path);
    if (!path.isEmpty()) {
        item->setText(DeviceColumn, path);
        item->setForeground(DeviceColumn, palette().brush(QPalette::Text));
    }
    filling_ = false;
}

void PortDialog::browseDevice()
{
    QFileDialog dialog(this, ctx_.language.decode(ctx_.language.texts.text("SelectDevice_30")), QStringLiteral("/dev"));
    dialog.setObjectName(QStringLiteral("DeviceFileDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The system's own dialog hides device files; a by-id link is kept as
    // it is, since it still names the adapter after re-plugging.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontResolveSymlinks);
    dialog.setFilter(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    const QString current = deviceEdit_->currentText().trimmed();
    if (current.startsWith(u'/')) {
        dialog.setDirectory(QFileInfo(current).absolutePath());
        dialog.selectFile(current);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    deviceEdit_->setEditText(dialog.selectedFiles().constFirst());
    refreshDevices();
}

bool PortDialog::checkEditedDevices()
{
    for (const auto& [n, path] : editedDevices_) {
        if (path.isEmpty())
            continue;
        const DeviceCheck check = checkDevicePath(path);
        if (check == DeviceCheck::CharacterDevice)
            continue;
        portList_->setCurrentItem(portList_->topLevelItem(n - 1), 0);
        const char* key = check == DeviceCheck::Missing ? "NoSuchDevice_40" : "NotSerialDevice_40";
        ctx_.language.prompts->message(MsgType::Error,
                                       ctx_.language.texts.text(key) + '\r' + ctx_.language.encode(path), MbOK, 0);
        deviceEdit_->setFocus();
        deviceEdit_->lineEdit()->selectAll();
        return false;
    }
    return true;
}

bool PortDialog::execute()
{
    return exec() == QDialog::Accepted;
}

void PortDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    editedDevices_.clear();
    foundLabel_->clear();
    foundLabel_->setToolTip(QString());
    fillDeviceChoices();
    refreshDevices();
    remembered_ = link.selection;
    selectInLists(remembered_);
    showEntryDevice();
}

void PortDialog::accept()
{
    if (searching_ || !checkEditedDevices())
        return;
    const PortChoice c = listSelection();
    savePortChoice(ctx_.language, c);
    if (const PortDirectory* dir = link.directory())
        for (const auto& [n, path] : editedDevices_)
            dir->setChosenDevice(n, path);
    editedDevices_.clear();
    remembered_ = c;
    QDialog::accept();
}

void PortDialog::done(int r)
{
    if (searching_) {
        // Closing while a search runs stops it; the dialog closes after.
        searchStopRequested_ = true;
        return;
    }
    okButton_->setFocus();
    selectInLists(remembered_);
    link.select(remembered_);
    QDialog::done(r);
}

void PortDialog::closeEvent(QCloseEvent* e)
{
    if (searching_) {
        searchStopRequested_ = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void PortDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1) {
        HelpViewer::showTopic(ctx_, 1330, this);
        return;
    }
    QDialog::keyPressEvent(e);
}

void PortDialog::setSearching(bool on)
{
    searching_ = on;
    portList_->setEnabled(!on);
    baudList_->setEnabled(!on);
    deviceEdit_->setEnabled(!on);
    otherDeviceBtn->setEnabled(!on);
    actions_->setCurrentWidget(on ? searchPanel_ : buttonPanel);
}

void PortDialog::showFound(const PortChoice& c)
{
    // The entry and the rate; the device stands beside the entry in the list
    // and in the field under it, and whole in the tooltip.
    QString found;
    QString device;
    if (const QTreeWidgetItem* item = portList_->topLevelItem(c.port)) {
        found = item->text(0);
        device = item->text(DeviceColumn);
    }
    if (const QListWidgetItem* rate = baudList_->item(c.baud))
        found += QStringLiteral(", ") + rate->text() + QStringLiteral(" Bd");
    foundLabel_->setText(ctx_.language.decode(ctx_.language.texts.text("InstrumentFound_25")) + u' ' + found);
    foundLabel_->setToolTip(device.isEmpty() ? foundLabel_->text()
                                             : foundLabel_->text() + QStringLiteral(", ") + device);
}

void PortDialog::autoFindPort()
{
    if (searching_)
        return;
    InstrumentLink::BusyScope busy(link);
    if (!busy.acquired())
        return;
    NullProgress quiet;
    Exchange ex(ctx_.language, link.port(), quiet, *clock_);
    PortChoice before;
    try {
        before = listSelection();
        foundLabel_->clear();
        setSearching(true);
        searchStopRequested_ = false;
    } catch (const std::exception&) {
        ctx_.language.prompts->message(MsgType::Custom, "13: ERROR", MbOK, 0);
    }

    // The search runs off the window's thread, so that the dialog answers
    // (its Cancel) all the way through; what it shows is done on the
    // window's thread.
    const auto showChoice = [this](const PortChoice& c, bool attempt) {
        callOnThreadOf(this, [&] {
            selectInLists(c);
            link.select(c);
            if (attempt && onAttempt)
                onAttempt(c);
        });
    };
    runner_->run([&] {
        SearchResult result;
        try {
            result = searchInstrument(
                ex, [this] { return searchStopRequested_.load(); }, [&](const PortChoice& c) { showChoice(c, true); });
        } catch (const std::exception&) {
            ctx_.language.prompts->message(MsgType::Custom, "14: ERROR", MbOK, 0);
        }

        try {
            if (!result.found) {
                showChoice(before, false);
                ctx_.language.prompts->message(MsgType::Error, ctx_.language.texts.text("CommError_40"), MbOK | MbHelp,
                                               2000);
            } else {
                endSearch(ex);
                callOnThreadOf(this, [&] { showFound(result.choice); });
            }
        } catch (const std::exception&) {
            ctx_.language.prompts->message(MsgType::Custom, "15: ERROR", MbOK, 0);
        }
    });
    setSearching(false);
}

} // namespace zentrova
