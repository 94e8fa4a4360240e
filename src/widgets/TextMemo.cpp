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

QString fromUtf8(const std::string& text, std::size_t begin, std::size_t end) {
    return QString::fromUtf8(text.data() + begin, static_cast<qsizetype>(end - begin));
}

// Line ends CRLF and CR become LF.
std::string withLfEndings(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c != '\r') {
            out += c;
            continue;
        }
        out += '\n';
        if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
            ++i;
    }
    return out;
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == '_';
}

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

std::size_t TextMemo::lineBegin(int line) const {
    return starts_[static_cast<std::size_t>(line)];
}

std::size_t TextMemo::lineEnd(int line) const {
    const auto next = static_cast<std::size_t>(line) + 1;
    return next < starts_.size() ? starts_[next] - 1 : text_.size();
}

QString TextMemo::line(int index) const {
    if (index < 0 || index >= lineCount())
        return {};
    return fromUtf8(text_, lineBegin(index), lineEnd(index));
}

void TextMemo::indexLines() {
    starts_.clear();
    starts_.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n')) + 1);
    starts_.push_back(0);
    const char* begin = text_.data();
    const char* end = begin + text_.size();
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', end - p)));)
        starts_.push_back(static_cast<std::size_t>(++p - begin));
}

void TextMemo::setPlainText(std::string_view utf8) {
    if (utf8.find('\r') != std::string_view::npos)
        text_ = withLfEndings(utf8);
    else
        text_.assign(utf8);
    indexLines();
    cursor_ = anchor_ = {};
    // The longest line in bytes stands for the widest; wider ones widen the range as they
    // come into view.
    widest_ = 0;
    int longest = 0;
    std::size_t longestBytes = 0;
    for (int i = 0; i < lineCount(); ++i) {
        const std::size_t bytes = lineEnd(i) - lineBegin(i);
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
    return fromUtf8(text_, 0, text_.size());
}

TextMemo::Position TextMemo::clamp(Position at) const {
    at.line = std::clamp(at.line, 0, lineCount() - 1);
    at.column = std::clamp(at.column, 0, static_cast<int>(line(at.line).size()));
    return at;
}

TextMemo::Position TextMemo::endPosition() const {
    const int last = lineCount() - 1;
    return {last, static_cast<int>(line(last).size())};
}

std::size_t TextMemo::byteOffset(Position at) const {
    at = clamp(at);
    return lineBegin(at.line) +
           static_cast<std::size_t>(line(at.line).left(at.column).toUtf8().size());
}

TextMemo::Position TextMemo::replaceRange(Position from, Position to, std::string_view utf8) {
    from = clamp(from);
    to = clamp(to);
    if (to < from)
        std::swap(from, to);
    const std::string inserted =
        utf8.find('\r') != std::string_view::npos ? withLfEndings(utf8) : std::string(utf8);
    const std::size_t b0 = byteOffset(from);
    const std::size_t b1 = byteOffset(to);
    text_.replace(b0, b1 - b0, inserted);

    // The line index: the starts inside the replaced range go, those of the new text come,
    // and every later start moves by the change in length.
    std::vector<std::size_t> added;
    for (std::size_t k = 0; k < inserted.size(); ++k)
        if (inserted[k] == '\n')
            added.push_back(b0 + k + 1);
    auto first = starts_.begin() + from.line + 1;
    auto last = starts_.begin() + to.line + 1;
    auto it = starts_.erase(first, last);
    it = starts_.insert(it, added.begin(), added.end()) + static_cast<std::ptrdiff_t>(added.size());
    const std::size_t removed = b1 - b0;
    for (; it != starts_.end(); ++it)
        *it = *it - removed + inserted.size();

    Position after;
    after.line = from.line + static_cast<int>(added.size());
    after.column =
        static_cast<int>(fromUtf8(text_, lineBegin(after.line), b0 + inserted.size()).size());
    return after;
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
    cursor_ = clamp(at);
    if (!keepAnchor)
        anchor_ = cursor_;
    ensureCursorVisible();
    viewport()->update();
}

QString TextMemo::selectedText() const {
    const std::size_t a = byteOffset(anchor_);
    const std::size_t b = byteOffset(cursor_);
    return fromUtf8(text_, std::min(a, b), std::max(a, b));
}

void TextMemo::insertPlainText(const QString& text) {
    cursor_ = anchor_ = replaceRange(anchor_, cursor_, text.toStdString());
    edited();
}

void TextMemo::selectAll() {
    anchor_ = {};
    cursor_ = endPosition();
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

TextMemo::Position TextMemo::nextPosition(Position at, int direction) const {
    const QString text = line(at.line);
    if (direction < 0) {
        if (at.column == 0)
            return at.line > 0 ? Position{at.line - 1, static_cast<int>(line(at.line - 1).size())}
                               : at;
        --at.column;
        if (at.column > 0 && text[at.column].isLowSurrogate())
            --at.column;
        return at;
    }
    if (at.column >= text.size())
        return at.line + 1 < lineCount() ? Position{at.line + 1, 0} : at;
    ++at.column;
    if (at.column < text.size() && text[at.column].isLowSurrogate())
        ++at.column;
    return at;
}

TextMemo::Position TextMemo::wordEdge(Position at, int direction) const {
    // Over the blanks first, then over the word, as editors move by words.
    const QString text = line(at.line);
    if (direction < 0) {
        if (at.column == 0)
            return nextPosition(at, -1);
        int c = at.column;
        while (c > 0 && !isWordChar(text[c - 1]))
            --c;
        while (c > 0 && isWordChar(text[c - 1]))
            --c;
        return {at.line, c};
    }
    if (at.column >= text.size())
        return nextPosition(at, 1);
    int c = at.column;
    while (c < text.size() && isWordChar(text[c]))
        ++c;
    while (c < text.size() && !isWordChar(text[c]))
        ++c;
    return {at.line, c};
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

void TextMemo::keyPressEvent(QKeyEvent* event) {
    struct Move {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
    };
    const int page = visibleLines();
    auto target = [&](QKeySequence::StandardKey key) -> Position {
        Position at = cursor_;
        switch (key) {
        case QKeySequence::MoveToNextChar:
            return nextPosition(at, 1);
        case QKeySequence::MoveToPreviousChar:
            return nextPosition(at, -1);
        case QKeySequence::MoveToNextWord:
            return wordEdge(at, 1);
        case QKeySequence::MoveToPreviousWord:
            return wordEdge(at, -1);
        case QKeySequence::MoveToNextLine:
            return clamp({at.line + 1, at.column});
        case QKeySequence::MoveToPreviousLine:
            return clamp({at.line - 1, at.column});
        case QKeySequence::MoveToNextPage:
            return clamp({at.line + page, at.column});
        case QKeySequence::MoveToPreviousPage:
            return clamp({at.line - page, at.column});
        case QKeySequence::MoveToStartOfLine:
            return {at.line, 0};
        case QKeySequence::MoveToEndOfLine:
            return clamp({at.line, 1 << 30});
        case QKeySequence::MoveToStartOfDocument:
            return {};
        case QKeySequence::MoveToEndOfDocument:
            return endPosition();
        default:
            return at;
        }
    };
    const Move moves[] = {
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
            setCursorPosition(target(m.move));
            return;
        }
        if (event->matches(m.select)) {
            setCursorPosition(target(m.move), true);
            return;
        }
    }
    if (event->matches(QKeySequence::SelectAll))
        return selectAll();
    if (event->matches(QKeySequence::Copy))
        return copy();
    if (event->matches(QKeySequence::Cut))
        return cut();
    if (event->matches(QKeySequence::Paste))
        return paste();
    if (event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace) {
        if (!hasSelectedText()) {
            const Position other =
                nextPosition(cursor_, event->key() == Qt::Key_Backspace ? -1 : 1);
            if (other == cursor_)
                return;
            anchor_ = other;
        }
        insertPlainText(QString());
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
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
    const QString text = line(at.line);
    int a = at.column, b = at.column;
    while (a > 0 && isWordChar(text[a - 1]))
        --a;
    while (b < text.size() && isWordChar(text[b]))
        ++b;
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
