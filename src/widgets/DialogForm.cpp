#include "widgets/DialogForm.h"

#include "widgets/RadioGroup.h"
#include "widgets/TextMemo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varentis {

DialogForm::DialogForm(QDialog* dialog, const char* className, const QString& caption)
    : dialog_(dialog), outer_(new QVBoxLayout(dialog)), dialogRows_(new QFormLayout) {
    dialog->setObjectName(className);
    dialog->setWindowTitle(caption);
    outer_->addLayout(dialogRows_);
}

QGroupBox* DialogForm::beginGroup(const char* name, const QString& title) {
    endGroup();
    group_ = new QGroupBox(title, dialog_);
    group_->setObjectName(name);
    groupRows_ = new QFormLayout(group_);
    dialogRows_->addRow(group_);
    return static_cast<QGroupBox*>(group_);
}

void DialogForm::endGroup() {
    group_ = nullptr;
    groupRows_ = nullptr;
}

QWidget* DialogForm::parent() const { return group_ ? static_cast<QWidget*>(group_) : dialog_; }

QFormLayout* DialogForm::rows() const { return groupRows_ ? groupRows_ : dialogRows_; }

QLineEdit* DialogForm::newEdit(const char* name, const QString& text) const {
    auto* e = new QLineEdit(text, parent());
    e->setObjectName(name);
    return e;
}

QPushButton* DialogForm::newButton(const char* name, const QString& text) const {
    auto* b = new QPushButton(text, parent());
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* DialogForm::newLabel(const char* name, const QString& text) const {
    auto* l = new QLabel(text, parent());
    if (name) l->setObjectName(name);
    return l;
}

RadioGroup* DialogForm::newRadio(const char* name, const QString& title,
                                 const QStringList& items, int index, int columns) const {
    auto* r = new RadioGroup(name, title, items, parent(), columns);
    r->setItemIndex(index);
    return r;
}

QWidget* DialogForm::newPanel(const char* name, int width, int height) const {
    auto* w = new QWidget(parent());
    w->setObjectName(name);
    w->setFixedSize(width, height);
    return w;
}

TextMemo* DialogForm::memo(const char* name) {
    endGroup();
    auto* m = new TextMemo(name, dialog_);
    outer_->addWidget(m, 1);
    dialogRows_ = new QFormLayout;
    outer_->addLayout(dialogRows_);
    return m;
}

QLineEdit* DialogForm::edit(const char* name, const QString& label, const QString& text,
                            const QString& unit) {
    QLineEdit* e = newEdit(name, text);
    if (unit.isEmpty()) rows()->addRow(label, e);
    else row({e, newLabel(nullptr, unit)}, label);
    return e;
}

QCheckBox* DialogForm::check(const char* name, const QString& text, bool on) {
    auto* c = new QCheckBox(text, parent());
    c->setObjectName(name);
    c->setChecked(on);
    rows()->addRow(c);
    return c;
}

QComboBox* DialogForm::combo(const char* name, const QString& label, const QStringList& items,
                             int index) {
    auto* c = new QComboBox(parent());
    c->setObjectName(name);
    c->addItems(items);
    c->setCurrentIndex(index);
    rows()->addRow(label, c);
    return c;
}

RadioGroup* DialogForm::radio(const char* name, const QString& title, const QStringList& items,
                              int index) {
    auto* r = new RadioGroup(name, title, items, parent());
    r->setItemIndex(index);
    rows()->addRow(r);
    return r;
}

QLabel* DialogForm::label(const char* name, const QString& text) {
    QLabel* l = newLabel(name, text);
    rows()->addRow(l);
    return l;
}

QPushButton* DialogForm::button(const char* name, const QString& text) {
    QPushButton* b = newButton(name, text);
    rows()->addRow(b);
    return b;
}

void DialogForm::row(std::initializer_list<QWidget*> widgets, const QString& caption) {
    auto* line = new QHBoxLayout;
    for (QWidget* w : widgets) line->addWidget(w);
    line->addStretch();
    if (caption.isEmpty()) rows()->addRow(line);
    else rows()->addRow(caption, line);
}

void DialogForm::pair(QLabel* caption, QWidget* field) { rows()->addRow(caption, field); }

QPushButton* DialogForm::defaultButton(const char* name, const QString& text) {
    endGroup();
    auto* b = new QPushButton(text, dialog_);
    b->setObjectName(name);
    b->setDefault(true);
    auto* line = new QHBoxLayout;
    line->addStretch();
    line->addWidget(b);
    outer_->addLayout(line);
    return b;
}

QPushButton* DialogForm::closeButton(const char* name, const QString& text) {
    QPushButton* b = defaultButton(name, text);
    QObject::connect(b, &QPushButton::clicked, dialog_, &QDialog::accept);
    return b;
}

QDialogButtonBox* DialogForm::okCancel() {
    endGroup();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog_);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog_, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog_, &QDialog::reject);
    outer_->addWidget(buttons);
    return buttons;
}

QFrame* DialogForm::beginPanel(const char* name, bool placed) {
    endGroup();
    auto* panel = new QFrame(dialog_);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    group_ = panel;
    groupRows_ = new QFormLayout(panel);
    if (placed) dialogRows_->addRow(panel);
    return panel;
}

void DialogForm::line(QLabel* caption, std::initializer_list<QWidget*> left,
                      std::initializer_list<QWidget*> right) {
    auto* line = new QHBoxLayout;
    for (QWidget* w : left) line->addWidget(w);
    line->addStretch();
    for (QWidget* w : right) line->addWidget(w);
    if (caption) rows()->addRow(caption, line);
    else rows()->addRow(line);
}

QLabel* DialogForm::newHeading(const char* name, const QString& text) const {
    QLabel* l = newLabel(name, text);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    return l;
}

QLabel* DialogForm::newReadout(const char* name, const QString& text) const {
    QLabel* l = newHeading(name, text);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setMargin(2);
    QPalette yellow = l->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 192));
    yellow.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(yellow);
    l->setAutoFillBackground(true);
    // Room for a reading such as "-123.456 nA" before any has been taken.
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QString(12, '0')) + 8);
    return l;
}

QComboBox* DialogForm::newCombo(const char* name, const QStringList& items, int index) const {
    auto* c = new QComboBox(parent());
    c->setObjectName(name);
    c->addItems(items);
    c->setCurrentIndex(index);
    return c;
}

QCheckBox* DialogForm::newCheck(const char* name, const QString& text, bool on) const {
    auto* c = new QCheckBox(text, parent());
    c->setObjectName(name);
    c->setChecked(on);
    return c;
}

QGroupBox* DialogForm::newGroup(const char* name, const QString& title,
                                std::initializer_list<QWidget*> widgets) const {
    auto* g = new QGroupBox(title, parent());
    g->setObjectName(name);
    auto* column = new QVBoxLayout(g);
    for (QWidget* w : widgets) column->addWidget(w); // the group becomes their parent
    column->addStretch();
    return g;
}

void DialogForm::acceptReject(const char* acceptName, const QString& acceptText,
                              const char* rejectName, const QString& rejectText) {
    endGroup();
    auto* ok = new QPushButton(acceptText, dialog_);
    ok->setObjectName(acceptName);
    ok->setDefault(true);
    auto* cancel = new QPushButton(rejectText, dialog_);
    cancel->setObjectName(rejectName);
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog_, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog_, &QDialog::reject);
    auto* line = new QHBoxLayout;
    line->addStretch();
    line->addWidget(ok);
    line->addWidget(cancel);
    outer_->addLayout(line);
}

} // namespace varentis
