#pragma once
#include "structure/InspectionComparison.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zentrova {

struct AppContext;

// The comparison of an older inspection with the open structure: per
// measuring point and quantity the old value, the new value and the change,
// the warnings marked, then the points that are in one file only.
class ComparisonDialog : public QDialog {
    Q_OBJECT
public:
    // `newer` is the open structure's context (its language names the texts).
    ComparisonDialog(AppContext& newer, InspectionComparison comparison, const QString& olderFile,
                     QWidget* parent = nullptr);

    const InspectionComparison& comparison() const { return comparison_; }
    QTableWidget* table() const { return table_; }
    // Save as CSV: asks for the file and writes comparisonCsv. False when
    // cancelled or the write failed (the reason was shown).
    bool saveCsv();

private:
    void fill();

    AppContext& ctx;
    InspectionComparison comparison_;
    QString olderFile_;
    QLabel* files_;
    QLabel* summary_;
    QTableWidget* table_;
    QPushButton* saveButton_;
    QPushButton* closeButton_;
};

// File > Compare with...: asks for the older structure file, reads it beside
// the open structure and shows the comparison in a window of its own, which
// deletes itself when closed. Null when the user cancelled or the file could
// not be read (the reason was shown).
ComparisonDialog* compareWithFile(AppContext& ctx, QWidget* parent);

} // namespace zentrova
