// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/Port.h"
#include "comm/PortSettings.h"
#include "shell/windows/BackgroundWork.h"

#include <QDialog>
#include <QString>
#include <atomic>
#include <map>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QWidget;

namespace zentrova {

struct AppContext;
class InstrumentLink;

// The COM dialog: the sixteen port entries, each beside the device it stands
// for, and the baud rates; OK stores the choice, Cancel (or closing) goes
// back to the choice in force; Auto Find tries every entry at every rate.
// The device field under the lists points the selected entry at a device:
// one of those present, a path typed in (a Bluetooth rfcomm device, a
// /dev/serial/by-id name, a pseudo-terminal) or one picked under /dev with
// Other device; the device column can also be edited in place. Clearing it
// gives the entry back to the automatic order. OK refuses a path that is no
// character device.
class PortDialog : public QDialog {
    Q_OBJECT
public:
    PortDialog(AppContext& ctx, InstrumentLink& link, QWidget* parent = nullptr);
    void applyTexts();
    // Shows the dialog modally; true when it was left with OK.
    bool execute();

    // The search behind the Auto Find button (runs to its end).
    void autoFindPort();
    // Runs the search through `runner` (the main window's, so that it knows
    // of it) instead of a runner of its own.
    void shareRunner(WorkRunner& runner) { runner_ = &runner; }
    // The search panel's Cancel: the search stops before its next attempt.
    void cancelSearch() { searchStopRequested_ = true; }
    bool searching() const { return searching_; }

    QTreeWidget* portList() const { return portList_; }
    QListWidget* baudList() const { return baudList_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelBtn; }
    QPushButton* autoFindButton() const { return autoFindBtn; }
    QWidget* searchPanel() const { return searchPanel_; }
    QLabel* foundLabel() const { return foundLabel_; }
    QComboBox* deviceEdit() const { return deviceEdit_; }
    QPushButton* otherDeviceButton() const { return otherDeviceBtn; }
    PortChoice listSelection() const;
    // Fills the device column (the choices being edited included).
    void refreshDevices();

    // Called for every combination the search tries (for the tests).
    std::function<void(const PortChoice&)> onAttempt;
    // The clock of the search's waits (the system's unless a test gives one).
    void setClock(Clock& clock) { clock_ = &clock; }

public slots:
    void accept() override;
    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void selectInLists(const PortChoice& c);
    // Says beside the Auto Find button which entry and rate answered.
    void showFound(const PortChoice& c);
    void setSearching(bool on);
    // The path entry n (1-based) is pointed at: edited here, else stored.
    QString chosenDevice(int portNumber) const;
    // The selected entry's choice into the device field.
    void showEntryDevice();
    void fillDeviceChoices();
    void chooseDevice(const QString& text);
    void browseDevice();
    // Every path edited here names a character device; otherwise the first
    // that does not is selected and the user told why.
    bool checkEditedDevices();

    AppContext& ctx_;
    InstrumentLink& link;
    QLabel* portLabel;
    QLabel* baudLabel;
    QLabel* deviceLabel;
    QComboBox* deviceEdit_;
    QPushButton* otherDeviceBtn;
    QStackedWidget* actions_;
    QTreeWidget* portList_;
    QListWidget* baudList_;
    QPushButton* okButton_;
    QPushButton* cancelBtn;
    QPushButton* autoFindBtn;
    QWidget* buttonPanel;
    QWidget* searchPanel_;
    QLabel* searchLabel1;
    QLabel* searchLabel2;
    QLabel* foundLabel_;
    QPushButton* searchCancelBtn;

    PortChoice remembered_;
    std::map<int, QString> editedDevices_; // entry number -> path, written on OK
    std::atomic<bool> searchStopRequested_ = false;
    bool searching_ = false;
    bool filling_ = false;
    Clock* clock_;
    BackgroundRunner ownRunner_;
    WorkRunner* runner_ = &ownRunner_;
};

} // namespace zentrova
