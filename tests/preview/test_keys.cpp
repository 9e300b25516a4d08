#include "support_preview.h"

#include <QMouseEvent>
#include <QStyle>
#include <QTest>

using previewtest::PreviewFixture;

namespace {

// A page 1000 x 2000 printer pixels in page-width view: the panel is 447 wide and
// Round(437 * 2) + 10 = 884 high, so the vertical range is 900 in a box 300 high.
class Keys : public PreviewFixture {
protected:
    void SetUp() override
    {
        PreviewFixture::SetUp();
        job->SetPageMode(pmCustom);
        job->SetPageWidth(1000);
        job->SetPageHeight(2000);
        job->SetPageCount(3);
        const int bar = preview->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        preview->resize(447 + 20 + bar, 300);
        preview->SetViewMode(vmPageWidth);
        preview->SetPrintJob(job.get());
        ASSERT_EQ(V().Range(), 900);
        ASSERT_EQ(preview->ScrollBox()->ClientHeight(), 300);
        preview->OnKeyDown = [this](TCustomPreview*, int& key, Qt::KeyboardModifiers) {
            keysDown.push_back(key);
        };
        pageChanges = 0;
    }

    TBoxScrollBar& H() { return preview->ScrollBox()->HorzScrollBar(); }
    TBoxScrollBar& V() { return preview->ScrollBox()->VertScrollBar(); }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(preview.get(), Qt::Key(key), modifiers);
    }

    std::vector<int> keysDown;
};

TEST_F(Keys, PageDownScrollsByViewsThenTurnsThePage)
{
    const int expected[] = {292, 584, 600};
    for (int position : expected) {
        Press(Qt::Key_PageDown);
        EXPECT_EQ(V().Position(), position);
        EXPECT_EQ(preview->PageIndex(), 1);
    }
    EXPECT_EQ(pageChanges, 0);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(preview->PageIndex(), 2);
    EXPECT_EQ(V().Position(), 0) << "the next page shows from its top";
    EXPECT_EQ(pageChanges, 1);
    EXPECT_TRUE(keysDown.empty()) << "navigation keys are consumed";
}

TEST_F(Keys, PageUpScrollsUpThenTurnsToTheTopOfThePreviousPage)
{
    preview->SetPageIndex(2);
    Press(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(V().Position(), 600);
    const int expected[] = {308, 16, 0};
    for (int position : expected) {
        Press(Qt::Key_PageUp);
        EXPECT_EQ(V().Position(), position);
    }
    Press(Qt::Key_PageUp);
    EXPECT_EQ(preview->PageIndex(), 1);
    EXPECT_EQ(V().Position(), 0);
}

TEST_F(Keys, PageTurnsAtTheEndsStayAndStillReport)
{
    Press(Qt::Key_PageUp);
    EXPECT_EQ(preview->PageIndex(), 1);
    EXPECT_EQ(pageChanges, 1);

    preview->SetPageIndex(3);
    pageChanges = 0;
    Press(Qt::Key_PageDown, Qt::ControlModifier);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(preview->PageIndex(), 3);
    EXPECT_EQ(V().Position(), 600);
    EXPECT_EQ(pageChanges, 1);
}

TEST_F(Keys, CtrlPageKeysGoToTheEndsOfThePageWithoutTurning)
{
    Press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(V().Position(), 600);
    Press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(preview->PageIndex(), 1);
    Press(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(V().Position(), 0);
    Press(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(preview->PageIndex(), 1);
    EXPECT_EQ(pageChanges, 0);
}

TEST_F(Keys, UpAndDownStepByTheIncrementWithOrWithoutCtrl)
{
    Press(Qt::Key_Down);
    EXPECT_EQ(V().Position(), 8);
    Press(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(V().Position(), 16);
    Press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(V().Position(), 8);
    Press(Qt::Key_Up);
    Press(Qt::Key_Up);
    EXPECT_EQ(V().Position(), 0);
}

TEST_F(Keys, HorizontalKeysInCustomView)
{
    preview->SetViewMode(vmCustom);
    preview->SetViewScale(1000);
    const int bw = preview->ScrollBox()->ClientWidth();
    const int hMax = H().Range() - bw;
    const int vMax = V().Range() - preview->ScrollBox()->ClientHeight();
    ASSERT_GT(hMax, 2 * bw);

    Press(Qt::Key_Right);
    EXPECT_EQ(H().Position(), 8);
    Press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(H().Position(), 8 + bw - 8);
    Press(Qt::Key_Left);
    EXPECT_EQ(H().Position(), bw - 8);
    Press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(H().Position(), 0);
    Press(Qt::Key_End);
    EXPECT_EQ(H().Position(), hMax);
    EXPECT_EQ(V().Position(), 0);
    Press(Qt::Key_Home);
    EXPECT_EQ(H().Position(), 0);
    Press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(H().Position(), hMax);
    EXPECT_EQ(V().Position(), vMax);
    Press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(H().Position(), 0);
    EXPECT_EQ(V().Position(), 0);
}

TEST_F(Keys, WholePageTurnsOnEveryPageKeyAndConsumesTheRest)
{
    preview->SetViewMode(vmWholePage);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(preview->PageIndex(), 2);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(preview->PageIndex(), 3);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(preview->PageIndex(), 2);
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home,
                    Qt::Key_End}) {
        Press(key);
        EXPECT_EQ(H().Position(), 0);
        EXPECT_EQ(V().Position(), 0);
    }
    EXPECT_TRUE(keysDown.empty());
}

TEST_F(Keys, OtherKeysReachOnKeyDownUnchanged)
{
    Press(Qt::Key_Return);
    Press(Qt::Key_A);
    Press(Qt::Key_F5);
    ASSERT_EQ(keysDown.size(), 3u);
    EXPECT_EQ(keysDown[0], Qt::Key_Return);
    EXPECT_EQ(keysDown[1], Qt::Key_A);
    EXPECT_EQ(keysDown[2], Qt::Key_F5);
    EXPECT_EQ(V().Position(), 0);
}

TEST_F(Keys, KeysOnAControlInsideThePreviewAreOfferedFirst)
{
    QTest::keyClick(preview->DrawPanel(), Qt::Key_Down);
    EXPECT_EQ(V().Position(), 8);
}

class DragScroll : public Keys {
protected:
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        TDrawPanel* panel = preview->DrawPanel();
        QMouseEvent event(type, at, panel->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(panel, &event);
    }
};

TEST_F(DragScroll, DraggingThePageScrollsAndKeepsTheGrabPoint)
{
    preview->SetDragScroll(true);
    V().SetPosition(100);
    TDrawPanel* panel = preview->DrawPanel();
    Mouse(QEvent::MouseButtonPress, {100, 300}, Qt::LeftButton);
    EXPECT_TRUE(panel->Dragging());
    EXPECT_EQ(panel->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_EQ(panel->GrabY(), 300);

    Mouse(QEvent::MouseMove, {100, 240}, Qt::LeftButton); // pointer 60 up
    EXPECT_EQ(V().Position(), 160);
    EXPECT_EQ(H().Position(), 0) << "nothing to scroll across";
    // The page moved with the pointer: the same screen point is the grabbed point again.
    Mouse(QEvent::MouseMove, {100, 300}, Qt::LeftButton);
    EXPECT_EQ(V().Position(), 160);
    // Beyond the end the page stops while the pointer goes on.
    Mouse(QEvent::MouseMove, {100, -1000}, Qt::LeftButton);
    EXPECT_EQ(V().Position(), 600);

    Mouse(QEvent::MouseButtonRelease, {100, 300}, Qt::NoButton);
    EXPECT_FALSE(panel->Dragging());
    EXPECT_EQ(panel->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(DragScroll, OffMovesNothing)
{
    Mouse(QEvent::MouseButtonPress, {100, 300}, Qt::LeftButton);
    Mouse(QEvent::MouseMove, {100, 100}, Qt::LeftButton);
    EXPECT_EQ(V().Position(), 0);
    EXPECT_FALSE(preview->DrawPanel()->Dragging());
    Mouse(QEvent::MouseButtonRelease, {100, 100}, Qt::NoButton);
}

TEST_F(DragScroll, AClickGivesThePreviewTheFocus)
{
    preview->clearFocus();
    ASSERT_NE(preview->window()->focusWidget(), preview.get());
    Mouse(QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, {50, 50}, Qt::NoButton);
    EXPECT_EQ(preview->window()->focusWidget(), preview.get());
}

} // namespace
