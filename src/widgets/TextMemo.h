#pragma once

#include "widgets/TextLines.h"

#include <QAbstractScrollArea>
#include <QKeySequence>

#include <string>
#include <string_view>

class QTextLayout;

namespace varentis {

// A multi-line text field made for long texts (a million lines and more). The text is one
// UTF-8 buffer with an index of where each line starts; only the lines in view are laid out
// and drawn. Setting the text, showing it and scrolling through it cost about the same for
// ten lines as for a million, where a text document of a million blocks takes many seconds
// to build and to copy.
//
// It edits like a plain text field: caret and selection by mouse and keys, typing, Enter,
// Backspace and Delete, Select All, Cut, Copy and Paste with the platform's keys and a
// context menu. Lines end at "\n" and are not wrapped; tabs stand every eight average
// character widths.
class TextMemo : public QAbstractScrollArea {
    Q_OBJECT
  public:
    using Position = TextPosition;

    explicit TextMemo(const QString& name, QWidget* parent = nullptr);

    // Replaces the text; lines may end in LF, CR or CRLF. The caret goes to the start and
    // the view to the first line.
    void setPlainText(std::string_view utf8);
    void setPlainText(const QString& text);
    void clear();
    // The text with its lines joined by "\n".
    QString toPlainText() const;
    const std::string& utf8() const { return lines_.utf8(); }
    int lineCount() const { return lines_.lineCount(); }
    QString line(int index) const { return lines_.line(index); }

    Position cursorPosition() const { return cursor_; }
    // Moves the caret; with keepAnchor the selection stretches from where it started.
    void setCursorPosition(Position at, bool keepAnchor = false);
    bool hasSelectedText() const { return anchor_ != cursor_; }
    QString selectedText() const;
    // Replaces the selection, or inserts at the caret, and puts the caret after the text.
    void insertPlainText(const QString& text);
    // The line at the top of the view.
    int firstVisibleLine() const;

  public slots:
    void selectAll();
    void copy();
    void cut();
    void paste();

  signals:
    void textChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void edited();
    // The keys: the caret's moves (with Shift the selection's), then the edits. True when
    // the key was one of them.
    Position keyTarget(QKeySequence::StandardKey key) const;
    bool moveCaretByKey(QKeyEvent* event);
    bool editByKey(QKeyEvent* event);
    // Delete (1) and Backspace (-1): the selection, or the character beside the caret.
    void deleteAtCaret(int direction);

    void layoutLine(QTextLayout& layout) const;
    Position positionAt(QPoint viewportPoint) const;
    int lineHeight() const;
    int visibleLines() const;
    qreal textLeft() const;
    // Makes sure the horizontal scroll range covers a line this wide (pixels).
    void noteWidth(qreal width);
    void updateScrollBars();
    void ensureCursorVisible();

    TextLines lines_;
    Position cursor_;
    Position anchor_;
    qreal widest_ = 0; // the widest line measured so far
    bool rangePending_ = false;
};

} // namespace varentis
