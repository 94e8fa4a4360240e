#pragma once

#include "printing/Report.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace varentis {

// "Printing": shown while a report goes to the printer; it tells which block is being
// printed and how far the signal trace has come.
class TPrintBox1 : public QDialog, public ReportProgress {
    Q_OBJECT
public:
    explicit TPrintBox1(QWidget* parent = nullptr);

    // The report's progress; each change shows at once.
    void status(std::string_view text) override;
    void position(int percent) override;

    QLabel* Label1; // "Printing: "
    QLabel* Status;
    QProgressBar* ProgressBar1; // 0 .. 100

private:
    void showNow();
};

} // namespace varentis
