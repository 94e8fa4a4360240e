#include "app/WidgetControls.h"

#include "widgets/RadioGroup.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace varentis {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

// The editor's text as typed. toPlainText() would turn non-breaking spaces into spaces;
// the raw text keeps them, and only its block and line separators become line breaks.
QString editorText(const QPlainTextEdit* m) {
    QString text = m->document()->toRawText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = u'\n';
    return text;
}
} // namespace

void WidgetControls::add(const QString& name, QObject* control) { controls_[name] = control; }

QObject* WidgetControls::find(std::string_view name) const {
    auto it = controls_.find(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    return it == controls_.end() ? nullptr : it->data();
}

std::string WidgetControls::text(std::string_view control) const {
    QObject* o = find(control);
    if (auto* e = qobject_cast<QLineEdit*>(o)) return s(e->text());
    if (auto* c = qobject_cast<QComboBox*>(o)) return s(c->currentText());
    if (auto* l = qobject_cast<QLabel*>(o)) return s(l->text());
    if (auto* m = qobject_cast<QPlainTextEdit*>(o)) return s(editorText(m));
    return {};
}

void WidgetControls::setText(std::string_view control, const std::string& value) {
    QObject* o = find(control);
    if (auto* e = qobject_cast<QLineEdit*>(o)) e->setText(q(value));
    else if (auto* l = qobject_cast<QLabel*>(o)) l->setText(q(value));
    else if (auto* m = qobject_cast<QPlainTextEdit*>(o)) m->setPlainText(q(value));
}

int WidgetControls::itemIndex(std::string_view control) const {
    QObject* o = find(control);
    if (auto* c = qobject_cast<QComboBox*>(o)) return c->currentIndex();
    if (auto* r = qobject_cast<RadioGroup*>(o)) return r->itemIndex();
    return -1;
}

void WidgetControls::setItemIndex(std::string_view control, int index) {
    QObject* o = find(control);
    if (auto* c = qobject_cast<QComboBox*>(o))
        c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
    else if (auto* r = qobject_cast<RadioGroup*>(o))
        r->setItemIndex(index);
}

std::vector<std::string> WidgetControls::items(std::string_view control) const {
    std::vector<std::string> out;
    QObject* o = find(control);
    if (auto* c = qobject_cast<QComboBox*>(o))
        for (int i = 0; i < c->count(); ++i) out.push_back(s(c->itemText(i)));
    else if (auto* r = qobject_cast<RadioGroup*>(o))
        for (const QString& item : r->items()) out.push_back(s(item));
    return out;
}

bool WidgetControls::checked(std::string_view control) const {
    QObject* o = find(control);
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->isChecked();
    if (auto* a = qobject_cast<QAction*>(o)) return a->isChecked();
    return false;
}

void WidgetControls::setChecked(std::string_view control, bool on) {
    QObject* o = find(control);
    if (auto* b = qobject_cast<QAbstractButton*>(o)) b->setChecked(on);
    else if (auto* a = qobject_cast<QAction*>(o)) a->setChecked(on);
}

// An editor's lines as a memo counts them: a line break ends the line before it, so a
// final break opens no further line. That keeps one empty line apart from no lines at
// all: no lines are an empty editor, one empty line a single line break.
std::vector<std::string> WidgetControls::lines(std::string_view control) const {
    std::vector<std::string> out;
    auto* m = qobject_cast<QPlainTextEdit*>(find(control));
    if (!m) return out;
    const QString text = editorText(m);
    if (text.isEmpty()) return out;
    QStringList all = text.split('\n');
    if (all.back().isEmpty()) all.removeLast();
    for (const QString& line : all) out.push_back(s(line));
    return out;
}

void WidgetControls::setLines(std::string_view control, const std::vector<std::string>& lines) {
    auto* m = qobject_cast<QPlainTextEdit*>(find(control));
    if (!m) return;
    QStringList all;
    for (const std::string& line : lines) all << q(line);
    QString text = all.join('\n');
    if (!lines.empty() && lines.back().empty()) text += '\n';
    m->setPlainText(text);
}

} // namespace varentis
