#pragma once

#include <QDialog>

#include <string>

class QPushButton;

namespace varentis {

class RadioGroup;
class TextMemo;

// "View text": the points of the current run as tab-separated text, or the settings file,
// to read or to copy to the clipboard.
class TViewdata : public QDialog {
    Q_OBJECT
  public:
    explicit TViewdata(QWidget* parent = nullptr);

    // The data view: the memo shows `dataText` (the points as text, or "No data"), which the
    // window keeps as its data text, and the window shows modally.
    void Viewdatatext1Click(std::string dataText);
    // Every showing starts on "Data".
    void FormShow();
    // "Data" puts the data text back, "Ini file" shows the settings file.
    void RadioGroup1Click();
    // The whole memo, whatever it shows, to the clipboard.
    void BitBtn1Click();

    RadioGroup* RadioGroup1;
    QPushButton* BitBtn1;
    TextMemo* Memo1;
    QPushButton* Button1;

    // The lines the data view put into the memo.
    std::string DataText;
    // The settings file that "Ini file" shows.
    QString IniPath;

    // Once closed, the texts of a long run are not kept: the next view makes them afresh.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace varentis
