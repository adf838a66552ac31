#include "settings_ui/GridPreview.h"

#include "../support/OffscreenApplication.h"

#include <QTest>
#include <gtest/gtest.h>

namespace panemark {
namespace {

class GridPreviewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }

    GridPreviewTest() {
        preview.resize(420, 263);
        QObject::connect(&preview, &GridPreview::spanChanged, &preview,
                         [this](const GridSpan& span) { written.push_back(span); });
        preview.show();
    }

    // The centre of a cell, in the widget.
    QPoint centre(std::int64_t c, std::int64_t r, std::int64_t cols, std::int64_t rows) const {
        const QRectF area = preview.cellArea();
        return QPointF(area.left() + (c + 0.5) * area.width() / cols,
                       area.top() + (r + 0.5) * area.height() / rows)
            .toPoint();
    }

    GridPreview preview;
    std::vector<GridSpan> written;
};

TEST_F(GridPreviewTest, AClickPicksOneCellAndADragSpansFromWhereItBegan) {
    preview.setGrid({3, 2, 0, 0, 0, 0}, Ordering::reading);
    QTest::mouseClick(&preview, Qt::LeftButton, {}, centre(2, 1, 3, 2));
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), (GridSpan{3, 2, 2, 2, 1, 1}));
    EXPECT_TRUE(preview.isSelected(2, 1));
    EXPECT_FALSE(preview.isSelected(1, 1));

    QTest::mousePress(&preview, Qt::LeftButton, {}, centre(2, 1, 3, 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(centre(0, 0, 3, 2)),
                     preview.mapToGlobal(QPointF(centre(0, 0, 3, 2))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&preview, &move);
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, centre(0, 0, 3, 2));
    EXPECT_EQ(written.back(), (GridSpan{3, 2, 2, 0, 1, 0})); // the whole grid
}

TEST_F(GridPreviewTest, OnlyTheBoardTakesPresses) {
    preview.resize(420, 400); // taller than the board: bands above and below it
    preview.setGrid({3, 2, 1, 1, 0, 0}, Ordering::reading);
    const QRectF board = preview.board();
    ASSERT_GT(board.top(), 20);
    QTest::mouseClick(&preview, Qt::LeftButton, {}, QPoint(board.center().x(), 5));
    QTest::mouseClick(&preview, Qt::LeftButton, {}, QPoint(board.left() + 20, 395));
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(preview.heightForWidth(420), 263);
    EXPECT_EQ(preview.sizeHint(), QSize(420, 263));
}

TEST_F(GridPreviewTest, ASpanBeyondTheGridShowsNothingUntilTheFirstClick) {
    preview.setGrid({3, 2, 5, 6, 0, 0}, Ordering::reading);
    for (int c = 0; c < 3; ++c) {
        EXPECT_FALSE(preview.isSelected(c, 0));
    }
    QTest::mouseClick(&preview, Qt::LeftButton, {}, centre(1, 0, 3, 2));
    EXPECT_EQ(written.back(), (GridSpan{3, 2, 1, 1, 0, 0}));
}

TEST_F(GridPreviewTest, AShowPieceDoesNotListen) {
    preview.setGrid({3, 3, 0, 0, 0, 0}, Ordering::clockwise);
    preview.setInteractive(false);
    QTest::mouseClick(&preview, Qt::LeftButton, {}, centre(1, 1, 3, 3));
    EXPECT_TRUE(written.empty());
    // Clockwise: the centre is the ninth cell, the one below the top-right corner the fourth.
    EXPECT_EQ(Ordering(Ordering::clockwise).position({1, 1}, 3, 3), 9);
    EXPECT_EQ(Ordering(Ordering::clockwise).position({2, 1}, 3, 3), 4);
}

} // namespace
} // namespace panemark
