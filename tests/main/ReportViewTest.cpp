// The report view: a whole catalogue's lines at once, selection by mouse and
// keys, copying exactly what is selected, scrolling by keys, the context menu,
// and the selection painted where it is.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "frReportView.h"

namespace {
std::shared_ptr<const TReportLines> Numbered(int count) {
    auto lines = std::make_shared<TReportLines>();
    char text[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "  LINE %06d  az 123.4\xb0 el 45", i);
        lines->push_back(text);
    }
    return lines;
}

struct TReportViewTest : ::testing::Test {
    TReportView view;
    void SetUp() override {
        QFont font("Courier New");
        font.setStyleHint(QFont::Monospace);
        font.setPixelSize(12);
        view.setFont(font);
        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    // The viewport point at the left of a column of a shown row.
    QPoint At(int row, int column) const {
        const QFontMetrics m = view.fontMetrics();
        const QString text = view.line(view.firstShownLine() + row);
        return {4 + m.horizontalAdvance(text.left(column)) - view.horizontalScrollBar()->value(),
                4 + row * m.lineSpacing() + m.lineSpacing() / 2};
    }
};
}  // namespace

TEST_F(TReportViewTest, SelectsAndCopiesExactlyWhatIsMarked) {
    const auto lines = Numbered(300000);
    view.SetLines(lines);
    ASSERT_EQ(view.lineCount(), 300000);
    EXPECT_EQ(view.line(299999).toLatin1().toStdString(), lines->back());
    EXPECT_EQ(view.line(7), QString::fromLatin1(lines->at(7).c_str())) << "Latin-1, the degree sign kept";

    // A drag across lines, then Ctrl+C.
    QWidget* port = view.viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, At(2, 7));
    QTest::mouseMove(port, At(4, 13));
    QTest::mouseRelease(port, Qt::LeftButton, {}, At(4, 13));
    const std::string expected = lines->at(2).substr(7) + "\n" + lines->at(3) + "\n" + lines->at(4).substr(0, 13);
    EXPECT_EQ(view.selectedText().toLatin1().toStdString(), expected);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toLatin1().toStdString(), expected);

    // Shift+click moves the end, backwards past the start too.
    QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, At(1, 2));
    EXPECT_EQ(view.selectedText().toLatin1().toStdString(), lines->at(1).substr(2) + "\n" + lines->at(2).substr(0, 7));

    // A double click takes the word.
    QTest::mouseDClick(port, Qt::LeftButton, {}, At(3, 9));
    EXPECT_EQ(view.selectedText(), "000003");

    // Ctrl+A takes every line, joined as the saved report is.
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    const QString all = QApplication::clipboard()->text();
    EXPECT_EQ(all.count('\n'), 299999);
    EXPECT_TRUE(all.startsWith(view.line(0) + '\n'));
    EXPECT_TRUE(all.endsWith('\n' + view.line(299999)));
    EXPECT_EQ(all, view.toPlainText());

    // Another report starts unselected at its top.
    view.verticalScrollBar()->setValue(500);
    view.SetLines(Numbered(3));
    EXPECT_FALSE(view.hasSelection());
    EXPECT_EQ(view.firstShownLine(), 0);
    view.clear();
    EXPECT_TRUE(view.toPlainText().isEmpty());
}

TEST_F(TReportViewTest, KeysScrollByLinesPagesAndEnds) {
    view.SetLines(Numbered(1000));
    const int page = view.verticalScrollBar()->pageStep();
    ASSERT_GT(page, 5);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.firstShownLine(), 1);
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_EQ(view.firstShownLine(), 1 + page);
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    // The last line shows whole at the bottom.
    EXPECT_EQ(view.firstShownLine() + page, 1000);
    EXPECT_GE(view.viewport()->height(), 4 + page * view.fontMetrics().lineSpacing());
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.firstShownLine(), 0);
    // A narrow view scrolls sideways to the longest line's end.
    view.resize(120, 300);
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_GT(view.horizontalScrollBar()->value(), 0);
    EXPECT_GE(view.horizontalScrollBar()->maximum() + view.viewport()->width(),
              view.fontMetrics().horizontalAdvance(view.line(0)));
}

TEST_F(TReportViewTest, ContextMenuCopiesAndSelectsAll) {
    view.SetLines(Numbered(50));
    const auto menuTexts = [&] {
        QStringList texts;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions())
                if (!a->isSeparator()) texts << a->text().section('\t', 0, 0) + (a->isEnabled() ? "" : " (off)");
            // Select All, as a user picks it.
            for (QAction* a : menu->actions())
                if (a->objectName() == "select-all") menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, At(1, 1), view.viewport()->mapToGlobal(At(1, 1)));
        QApplication::sendEvent(view.viewport(), &event);
        return texts;
    };
    EXPECT_EQ(menuTexts(), QStringList({"&Copy (off)", "Select All"}));
    EXPECT_EQ(view.selectedText(), view.toPlainText());
    EXPECT_EQ(menuTexts(), QStringList({"&Copy", "Select All"}));
}

// The selection is painted on its own rows only. ORBISK_REPORT_VIEW_PNG
// names a file to keep the picture in.
TEST_F(TReportViewTest, PaintsTheSelectionWhereItIs) {
    view.SetLines(Numbered(100));
    view.Select(1, 2, 2, 8);
    const QImage picture = view.viewport()->grab().toImage();
    if (const char* png = std::getenv("ORBISK_REPORT_VIEW_PNG")) picture.save(png);
    const QColor highlight = view.palette().color(QPalette::Highlight);
    const auto marked = [&](int row) {
        int n = 0;
        const int y = At(row, 0).y();
        for (int x = 0; x < picture.width(); ++x) n += picture.pixelColor(x, y) == highlight;
        return n;
    };
    EXPECT_EQ(marked(0), 0);
    EXPECT_GT(marked(1), marked(2));
    EXPECT_GT(marked(2), 0);
    EXPECT_EQ(marked(3), 0);
}
