#include "widgets/TextMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace varentis {

namespace {

constexpr int kMargin = 3; // pixels between the frame and the text

} // namespace

TextMemo::TextMemo(const QString& name, QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(name);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateScrollBars();
}

// ---- Text and lines ----------------------------------------------------------------------

void TextMemo::setPlainText(std::string_view utf8) {
    lines_.assign(utf8);
    cursor_ = anchor_ = {};
    // The longest line in bytes stands for the widest; wider ones widen the range as they
    // come into view.
    widest_ = 0;
    int longest = 0;
    std::size_t longestBytes = 0;
    for (int i = 0; i < lineCount(); ++i) {
        const std::size_t bytes = lines_.lineBytes(i);
        if (bytes > longestBytes)
            longestBytes = bytes, longest = i;
    }
    QTextLayout layout(line(longest), font());
    layoutLine(layout);
    widest_ = layout.lineAt(0).naturalTextWidth();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    emit textChanged();
}

void TextMemo::setPlainText(const QString& text) {
    setPlainText(text.toStdString());
}

void TextMemo::clear() {
    setPlainText(std::string_view());
}

QString TextMemo::toPlainText() const {
    return QString::fromStdString(lines_.utf8());
}

void TextMemo::edited() {
    QTextLayout layout(line(cursor_.line), font());
    layoutLine(layout);
    noteWidth(layout.lineAt(0).naturalTextWidth());
    updateScrollBars();
    ensureCursorVisible();
    viewport()->update();
    emit textChanged();
}

// ---- Caret and selection -----------------------------------------------------------------

void TextMemo::setCursorPosition(Position at, bool keepAnchor) {
    cursor_ = lines_.clamp(at);
    if (!keepAnchor)
        anchor_ = cursor_;
    ensureCursorVisible();
    viewport()->update();
}

QString TextMemo::selectedText() const {
    return lines_.between(anchor_, cursor_);
}

void TextMemo::insertPlainText(const QString& text) {
    cursor_ = anchor_ = lines_.replace(anchor_, cursor_, text.toStdString());
    edited();
}

void TextMemo::selectAll() {
    anchor_ = {};
    cursor_ = lines_.endPosition();
    viewport()->update();
}

void TextMemo::copy() {
    if (hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TextMemo::cut() {
    if (!hasSelectedText())
        return;
    copy();
    insertPlainText(QString());
}

void TextMemo::paste() {
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty() || hasSelectedText())
        insertPlainText(text);
}

// ---- Layout and drawing --------------------------------------------------------------------

void TextMemo::layoutLine(QTextLayout& layout) const {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(8 * QFontMetricsF(font()).averageCharWidth());
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine l = layout.createLine();
    if (l.isValid())
        l.setLineWidth(1e6);
    layout.endLayout();
}

int TextMemo::lineHeight() const {
    return std::max(QFontMetrics(font()).lineSpacing(), 1);
}

int TextMemo::visibleLines() const {
    return std::max((viewport()->height() - kMargin) / lineHeight(), 1);
}

qreal TextMemo::textLeft() const {
    return kMargin - horizontalScrollBar()->value();
}

int TextMemo::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

void TextMemo::noteWidth(qreal width) {
    if (width <= widest_)
        return;
    widest_ = width;
    // Not from inside a paint event: a scroll bar that appears resizes the view.
    if (!rangePending_) {
        rangePending_ = true;
        QTimer::singleShot(0, this, [this] {
            rangePending_ = false;
            updateScrollBars();
        });
    }
}

void TextMemo::updateScrollBars() {
    QScrollBar* v = verticalScrollBar();
    const int page = visibleLines();
    v->setRange(0, std::max(lineCount() - page, 0));
    v->setPageStep(page);
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    h->setRange(0, std::max(static_cast<int>(widest_) + 2 * kMargin + 2 - width, 0));
    h->setPageStep(std::max(width, 1));
    h->setSingleStep(std::max(QFontMetrics(font()).averageCharWidth(), 1));
}

void TextMemo::ensureCursorVisible() {
    QScrollBar* v = verticalScrollBar();
    const int page = visibleLines();
    if (cursor_.line < v->value())
        v->setValue(cursor_.line);
    else if (cursor_.line >= v->value() + page)
        v->setValue(cursor_.line - page + 1);

    QTextLayout layout(line(cursor_.line), font());
    layoutLine(layout);
    const qreal x = layout.lineAt(0).cursorToX(cursor_.column);
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width() - 2 * kMargin;
    if (x < h->value())
        h->setValue(static_cast<int>(x));
    else if (x > h->value() + width)
        h->setValue(static_cast<int>(x) - width + 1);
}

void TextMemo::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int first = firstVisibleLine();
    const int last = std::min(lineCount() - 1, first + visibleLines());
    const int height = lineHeight();
    const Position selFrom = std::min(anchor_, cursor_);
    const Position selTo = std::max(anchor_, cursor_);
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const qreal left = textLeft();
    const qreal lineEndMark = QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' '));
    painter.setPen(palette().color(QPalette::Text));

    qreal widest = 0;
    for (int i = first; i <= last; ++i) {
        const QString text = line(i);
        QTextLayout layout(text, font());
        layoutLine(layout);
        const QTextLine tl = layout.lineAt(0);
        widest = std::max(widest, tl.naturalTextWidth());
        const QPointF origin(left, kMargin + (i - first) * height);
        QList<QTextLayout::FormatRange> ranges;
        if (selFrom != selTo && selFrom.line <= i && i <= selTo.line) {
            const int a = i == selFrom.line ? selFrom.column : 0;
            const int b = i == selTo.line ? selTo.column : static_cast<int>(text.size());
            if (b > a)
                ranges.append({a, b - a, selected});
            // The line's end is part of the selection: a blank's width shows it.
            if (i < selTo.line)
                painter.fillRect(
                    QRectF(origin.x() + tl.naturalTextWidth(), origin.y(), lineEndMark, height),
                    palette().brush(QPalette::Highlight));
        }
        layout.draw(&painter, origin, ranges);
        if (hasFocus() && i == cursor_.line)
            layout.drawCursor(&painter, origin, cursor_.column, 1);
    }
    noteWidth(widest);
}

void TextMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextMemo::scrollContentsBy(int, int) {
    viewport()->update();
}

void TextMemo::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TextMemo::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---- Keys and mouse ----------------------------------------------------------------------

TextMemo::Position TextMemo::keyTarget(QKeySequence::StandardKey key) const {
    const Position at = cursor_;
    const int page = visibleLines();
    switch (key) {
    case QKeySequence::MoveToNextChar:
        return lines_.nextPosition(at, 1);
    case QKeySequence::MoveToPreviousChar:
        return lines_.nextPosition(at, -1);
    case QKeySequence::MoveToNextWord:
        return lines_.wordEdge(at, 1);
    case QKeySequence::MoveToPreviousWord:
        return lines_.wordEdge(at, -1);
    case QKeySequence::MoveToNextLine:
        return lines_.clamp({at.line + 1, at.column});
    case QKeySequence::MoveToPreviousLine:
        return lines_.clamp({at.line - 1, at.column});
    case QKeySequence::MoveToNextPage:
        return lines_.clamp({at.line + page, at.column});
    case QKeySequence::MoveToPreviousPage:
        return lines_.clamp({at.line - page, at.column});
    case QKeySequence::MoveToStartOfLine:
        return {at.line, 0};
    case QKeySequence::MoveToEndOfLine:
        return lines_.clamp({at.line, 1 << 30});
    case QKeySequence::MoveToStartOfDocument:
        return {};
    case QKeySequence::MoveToEndOfDocument:
        return lines_.endPosition();
    default:
        return at;
    }
}

bool TextMemo::moveCaretByKey(QKeyEvent* event) {
    struct Move {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
    };
    static constexpr Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument},
    };
    for (const Move& m : moves) {
        if (event->matches(m.move)) {
            setCursorPosition(keyTarget(m.move));
            return true;
        }
        if (event->matches(m.select)) {
            setCursorPosition(keyTarget(m.move), true);
            return true;
        }
    }
    return false;
}

bool TextMemo::editByKey(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace)
        deleteAtCaret(event->key() == Qt::Key_Backspace ? -1 : 1);
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        insertPlainText(QStringLiteral("\n"));
    else
        return false;
    return true;
}

void TextMemo::deleteAtCaret(int direction) {
    if (!hasSelectedText()) {
        const Position other = lines_.nextPosition(cursor_, direction);
        if (other == cursor_)
            return;
        anchor_ = other;
    }
    insertPlainText(QString());
}

void TextMemo::keyPressEvent(QKeyEvent* event) {
    if (moveCaretByKey(event) || editByKey(event))
        return;
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        insertPlainText(typed);
        return;
    }
    // Escape, Tab and the rest belong to the window.
    event->ignore();
}

TextMemo::Position TextMemo::positionAt(QPoint point) const {
    const int lineIndex =
        std::clamp(firstVisibleLine() + (point.y() - kMargin) / lineHeight(), 0, lineCount() - 1);
    QTextLayout layout(line(lineIndex), font());
    layoutLine(layout);
    return {lineIndex, layout.lineAt(0).xToCursor(point.x() - textLeft())};
}

void TextMemo::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    setCursorPosition(positionAt(event->position().toPoint()),
                      event->modifiers().testFlag(Qt::ShiftModifier));
}

void TextMemo::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    // Beyond the top or bottom edge the view follows, a line per move.
    setCursorPosition(positionAt(event->position().toPoint()), true);
}

void TextMemo::mouseReleaseEvent(QMouseEvent* event) {
    // The selection was made while the button was down.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void TextMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const Position at = positionAt(event->position().toPoint());
    const auto [a, b] = lines_.wordAround(at);
    anchor_ = {at.line, a};
    setCursorPosition({at.line, b}, true);
}

void TextMemo::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* cutAction = menu.addAction(tr("Cu&t"), this, &TextMemo::cut);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &TextMemo::copy);
    menu.addAction(tr("&Paste"), this, &TextMemo::paste);
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &TextMemo::selectAll);
    cutAction->setEnabled(hasSelectedText());
    copyAction->setEnabled(hasSelectedText());
    menu.exec(event->globalPos());
}

} // namespace varentis
