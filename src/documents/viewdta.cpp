#include "documents/viewdta.h"

#include "documents/AtomicFile.h"
#include "documents/TextEncoding.h"
#include "documents/TextLines.h"
#include "widgets/DialogForm.h"
#include "widgets/RadioGroup.h"
#include "widgets/TextMemo.h"

#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

namespace varentis {

TViewdata::TViewdata(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TViewdata", "View text");
    RadioGroup1 = form.newRadio("RadioGroup1", QString(), {"Data", "Ini file"}, 0, 2);
    BitBtn1 = form.newButton("BitBtn1", QString());
    BitBtn1->setIcon(QIcon::fromTheme("edit-copy", style()->standardIcon(QStyle::SP_FileIcon)));
    BitBtn1->setToolTip("Copy data to clipboard");
    form.row({RadioGroup1, BitBtn1});
    Memo1 = form.memo("Memo1");
    Button1 = form.closeButton("Button1", "&Close");
    setSizeGripEnabled(true);
    resize(233, 352);

    connect(RadioGroup1, &RadioGroup::itemIndexChanged, this, &TViewdata::RadioGroup1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TViewdata::BitBtn1Click);
}

void TViewdata::Viewdatatext1Click(std::string dataText) {
    DataText = std::move(dataText);
    Memo1->setPlainText(DataText);
    exec();
}

void TViewdata::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TViewdata::FormShow() {
    // Selecting "Data" again shows nothing new: the memo holds the data text already.
    if (RadioGroup1->itemIndex() != 0)
        RadioGroup1->setItemIndex(0);
}

void TViewdata::RadioGroup1Click() {
    if (RadioGroup1->itemIndex() == 0) {
        Memo1->setPlainText(DataText);
        return;
    }
    std::string bytes;
    const auto error = IniPath.isEmpty() ? std::optional<std::string>("no settings file")
                                         : readWholeFile(IniPath.toStdString(), bytes);
    if (error) {
        // The memo keeps what it showed.
        QMessageBox::critical(this, windowTitle(),
                              "Cannot open file \"" + IniPath + "\". " +
                                  QString::fromStdString(*error));
        return;
    }
    const std::string text = decodeFileText(bytes);
    std::string lines;
    lines.reserve(text.size());
    bool first = true;
    forEachLine(text, [&](std::string_view line) {
        if (!first)
            lines += '\n';
        lines.append(line);
        first = false;
    });
    Memo1->setPlainText(lines);
}

void TViewdata::BitBtn1Click() {
    Memo1->selectAll();
    Memo1->copy();
}

void TViewdata::done(int result) {
    QDialog::done(result);
    Memo1->clear();
    std::string().swap(DataText);
}

} // namespace varentis
