#include "widgets/TextMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace varentis {
namespace {

using Position = TextMemo::Position;

QStringList linesOf(const TextMemo& memo) {
    QStringList out;
    for (int i = 0; i < memo.lineCount(); ++i)
        out << memo.line(i);
    return out;
}

TEST(TextMemo, LinesEndAtLfCrOrCrLf) {
    TextMemo memo("Memo");
    struct Case {
        const char* text;
        QStringList lines;
    };
    const Case cases[] = {
        {"", {""}},
        {"one", {"one"}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n", {"a", ""}},
        {"\n\n", {"", "", ""}},
        {"tab\there\r\n\xC3\xA4\xE2\x82\xAC",
         {"tab\there", QString::fromUtf8("\xC3\xA4\xE2\x82\xAC")}},
    };
    for (const Case& c : cases) {
        memo.setPlainText(std::string_view(c.text));
        EXPECT_EQ(linesOf(memo), c.lines) << c.text;
        EXPECT_EQ(memo.toPlainText(), c.lines.join('\n')) << c.text;
        EXPECT_EQ(memo.cursorPosition(), Position{}) << "the caret starts at the top";
    }
}

// Edits at random places, checked against the same edits on a plain string: the text and
// its index of lines must agree after every one.
TEST(TextMemo, EditsKeepTextAndLinesInStep) {
    std::mt19937 rng(7);
    const QStringList pieces{
        "",      "x",           "ab",       "\n",
        "a\nb",  "\n\n",        "\xC3\xA4", QString::fromUtf8("\xF0\x9D\x84\x9E"),
        "tab\t", "line\nmore\n"};
    TextMemo memo("Memo");
    QString reference = "first\nsecond line\n\nfourth";
    memo.setPlainText(reference);

    auto offsetOf = [&](Position p) {
        const QStringList lines = reference.split('\n');
        qsizetype offset = 0;
        for (int i = 0; i < p.line; ++i)
            offset += lines[i].size() + 1;
        return offset + p.column;
    };
    auto randomPosition = [&]() {
        const QStringList lines = reference.split('\n');
        const int line = std::uniform_int_distribution<int>(0, lines.size() - 1)(rng);
        int column = std::uniform_int_distribution<int>(0, lines[line].size())(rng);
        // Never between the two halves of a surrogate pair.
        if (column > 0 && column < lines[line].size() && lines[line][column].isLowSurrogate())
            --column;
        return Position{line, column};
    };
    for (int step = 0; step < 1500; ++step) {
        Position a = randomPosition(), b = randomPosition();
        if (std::uniform_int_distribution<int>(0, 3)(rng) == 0)
            b = a; // an insertion
        const QString piece = pieces[std::uniform_int_distribution<int>(0, pieces.size() - 1)(rng)];
        memo.setCursorPosition(a);
        memo.setCursorPosition(b, true);
        const qsizetype from = std::min(offsetOf(a), offsetOf(b));
        const qsizetype to = std::max(offsetOf(a), offsetOf(b));
        EXPECT_EQ(memo.selectedText(), reference.mid(from, to - from));
        memo.insertPlainText(piece);
        reference.replace(from, to - from, piece);

        ASSERT_EQ(memo.toPlainText(), reference) << "step " << step;
        ASSERT_EQ(linesOf(memo), reference.split('\n')) << "step " << step;
        ASSERT_EQ(offsetOf(memo.cursorPosition()), from + piece.size()) << "caret after the text";
    }
}

TEST(TextMemo, TypingDeletingAndSelectingWithTheKeys) {
    TextMemo memo("Memo");
    memo.show();
    memo.setFocus();
    memo.setPlainText(std::string_view("ab\ncd"));
    QTest::keyClick(&memo, Qt::Key_End);
    QTest::keyClicks(&memo, "x");
    EXPECT_EQ(memo.toPlainText(), "abx\ncd");
    QTest::keyClick(&memo, Qt::Key_Delete); // joins the next line
    EXPECT_EQ(memo.toPlainText(), "abxcd");
    QTest::keyClick(&memo, Qt::Key_Return);
    EXPECT_EQ(memo.toPlainText(), "abx\ncd");
    QTest::keyClick(&memo, Qt::Key_Backspace); // joins again
    QTest::keyClick(&memo, Qt::Key_Backspace);
    EXPECT_EQ(memo.toPlainText(), "abcd");
    QTest::keyClick(&memo, Qt::Key_Home);
    QTest::keyClick(&memo, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&memo, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(memo.selectedText(), "ab");
    QTest::keyClicks(&memo, "Z");
    EXPECT_EQ(memo.toPlainText(), "Zcd");

    // Select all, copy, paste at the end.
    QTest::keyClick(&memo, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(memo.selectedText(), "Zcd");
    QTest::keyClick(&memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Zcd");
    QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo.toPlainText(), "ZcdZcd");
    // Escape is the window's.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&memo, &escape);
    EXPECT_FALSE(escape.isAccepted());
}

TEST(TextMemo, AMillionLinesScrollByLineAndKeepTheCaretInView) {
    std::string text;
    for (int i = 0; i < 1'000'000; ++i)
        text += std::to_string(i) + "\t1.000\t2.00\n";
    TextMemo memo("Memo");
    memo.resize(240, 300);
    memo.show();
    memo.setPlainText(text);
    EXPECT_EQ(memo.lineCount(), 1'000'001);
    QScrollBar* bar = memo.verticalScrollBar();
    EXPECT_GT(bar->maximum(), 999'000);
    EXPECT_EQ(bar->singleStep(), 1);

    memo.setCursorPosition({654'321, 3});
    const int first = memo.firstVisibleLine();
    EXPECT_LE(first, 654'321);
    EXPECT_GT(first + bar->pageStep(), 654'321);
    EXPECT_EQ(memo.line(654'321), "654321\t1.000\t2.00");
    const QImage shot = memo.grab().toImage();
    EXPECT_FALSE(shot.isNull());

    // Typing far down changes that line only.
    QTest::keyClicks(&memo, "9");
    EXPECT_EQ(memo.line(654'321), "6549321\t1.000\t2.00");
    EXPECT_EQ(memo.line(654'322), "654322\t1.000\t2.00");
    EXPECT_EQ(memo.lineCount(), 1'000'001);
}

TEST(TextMemo, ClicksPlaceTheCaretAndADoubleClickTakesAWord) {
    TextMemo memo("Memo");
    memo.resize(300, 200);
    memo.show();
    memo.setPlainText(std::string_view("first line\nsecond words here"));
    const int lineHeight = QFontMetrics(memo.font()).lineSpacing();
    const QPoint onSecond(3 + QFontMetrics(memo.font()).horizontalAdvance("second wo"),
                          3 + lineHeight + lineHeight / 2);
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, onSecond);
    EXPECT_EQ(memo.cursorPosition().line, 1);
    EXPECT_NEAR(memo.cursorPosition().column, 9, 1);
    QTest::mouseDClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, onSecond);
    EXPECT_EQ(memo.selectedText(), "words");
}

} // namespace
} // namespace varentis
