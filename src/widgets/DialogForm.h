#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QDialog;
class QDialogButtonBox;
class QFormLayout;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace varentis {

class RadioGroup;
class TextMemo;

// Builds a dialog's controls row by row, each under its designer name: labelled fields,
// check boxes, drop-down lists, radio groups, buttons, framed groups, and the buttons at
// the bottom. The dialogs then only say what they hold, not how it is laid out.
class DialogForm {
public:
    // Names the dialog ("TPump") and gives it its caption and a vertical layout.
    DialogForm(QDialog* dialog, const char* className, const QString& caption);

    // Rows go into a framed group until endGroup().
    QGroupBox* beginGroup(const char* name, const QString& title);
    void endGroup();

    // A labelled edit field, with a unit label behind it when `unit` is given.
    QLineEdit* edit(const char* name, const QString& label, const QString& text,
                    const QString& unit = {});
    QCheckBox* check(const char* name, const QString& text, bool on = false);
    QComboBox* combo(const char* name, const QString& label, const QStringList& items,
                     int index = 0);
    RadioGroup* radio(const char* name, const QString& title, const QStringList& items,
                      int index = 0);
    QLabel* label(const char* name, const QString& text);
    // A button on a row of its own.
    QPushButton* button(const char* name, const QString& text);
    // Widgets made with `parent()` side by side on one row, after an optional caption.
    void row(std::initializer_list<QWidget*> widgets, const QString& caption = {});
    // A caption label of its own (named, its text changed later) and a widget beside it,
    // both made with `parent()`; the rows' second widgets line up in one column.
    void pair(QLabel* caption, QWidget* field);
    // The widget that new controls belong to: the dialog or the open group.
    QWidget* parent() const;
    // Controls for row(): made here, not yet placed.
    QLineEdit* newEdit(const char* name, const QString& text) const;
    QPushButton* newButton(const char* name, const QString& text) const;
    QLabel* newLabel(const char* name, const QString& text) const;
    RadioGroup* newRadio(const char* name, const QString& title, const QStringList& items,
                         int index = 0, int columns = 1) const;
    // A plain area of a fixed size, for controls placed by hand inside it (a drawn sample).
    QWidget* newPanel(const char* name, int width, int height) const;

    // A multi-line text field that takes the height the dialog gains; rows added after it
    // go below it.
    TextMemo* memo(const char* name);

    // The bottom row: a default button at the right that closes the dialog with accept().
    QPushButton* closeButton(const char* name, const QString& text);
    // The same button, connected to nothing: the dialog decides what it does.
    QPushButton* defaultButton(const char* name, const QString& text);
    // The bottom row: OK and Cancel, which accept and reject the dialog.
    QDialogButtonBox* okCancel();

    // Rows go into a sunken panel until endGroup(). A panel that is not `placed` here is
    // placed by the caller, once its rows are done, as a widget of a row of its own.
    QFrame* beginPanel(const char* name, bool placed = true);
    // One row: a caption label made with newLabel() (or none), the `left` widgets at the left
    // and the `right` widgets at the right edge.
    void line(QLabel* caption, std::initializer_list<QWidget*> left,
              std::initializer_list<QWidget*> right = {});
    // A label in bold, the heading of the rows below it.
    QLabel* newHeading(const char* name, const QString& text) const;
    // A read-out: bold text on a light-yellow sunken panel.
    QLabel* newReadout(const char* name, const QString& text) const;
    // A drop-down list for line(), not yet placed.
    QComboBox* newCombo(const char* name, const QStringList& items, int index = 0) const;
    // A check box for a group made with newGroup(), not yet placed.
    QCheckBox* newCheck(const char* name, const QString& text, bool on = false) const;
    // A framed group holding `widgets` one under another, for a row; not yet placed.
    QGroupBox* newGroup(const char* name, const QString& title,
                        std::initializer_list<QWidget*> widgets) const;

    // The bottom row: a default button that accepts the dialog and one that rejects it,
    // each under its own name and caption.
    void acceptReject(const char* acceptName, const QString& acceptText, const char* rejectName,
                      const QString& rejectText);

private:
    QFormLayout* rows() const;

    QDialog* dialog_;
    QBoxLayout* outer_;
    QFormLayout* dialogRows_;
    QWidget* group_ = nullptr; // the open group or panel
    QFormLayout* groupRows_ = nullptr;
};

} // namespace varentis
