#include "value_edit_testing.h"
#include "widgets/EditDragDrop.h"

#include <gtest/gtest.h>

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace {

class FieldDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        valueedit_testing::App();
        field = std::make_unique<TValueEdit>();
        field->resize(200, 24);
        field->SetOleDropTarget(true);
        field->show();
    }

    // A point over the gap before the character at index (the caret position there).
    QPoint PointAt(int index) const
    {
        for (int x = 0; x < field->width(); ++x)
            if (field->cursorPositionAt(QPoint(x, 12)) == index)
                return QPoint(x, 12);
        ADD_FAILURE() << "no point for position " << index;
        return {};
    }

    bool Drop(const QString& text, const QPoint& at)
    {
        QMimeData data;
        data.setText(text);
        // As in a real drag, the drop goes to the widget that took the drag's entry.
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field.get(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field.get(), &drop);
        return drop.isAccepted();
    }

    std::unique_ptr<TValueEdit> field;
};

TEST_F(FieldDrop, FieldsTakeNoDropsUnlessAsked)
{
    TValueEdit plain;
    EXPECT_FALSE(plain.acceptDrops());
    EXPECT_FALSE(plain.dragEnabled());
    EXPECT_TRUE(field->acceptDrops());
    field->SetOleDropSource(true);
    EXPECT_TRUE(field->OleDropSource());
}

TEST_F(FieldDrop, FirstLineIsInsertedAtTheDropPosition)
{
    field->SetText("hello world");
    EXPECT_TRUE(Drop("big \r\nsecond line", PointAt(6)));
    EXPECT_EQ(field->Text(), "hello big world");
    EXPECT_EQ(field->cursorPosition(), 10);
    EXPECT_TRUE(field->Modified());
}

TEST_F(FieldDrop, DropNeverLandsInThePrefixOrSuffix)
{
    field->SetPrefix("No. ");
    field->SetSuffix(" pcs");
    field->SetText("12");
    EXPECT_TRUE(Drop("7", PointAt(1)));
    EXPECT_EQ(field->text(), "No. 712 pcs");
}

TEST_F(FieldDrop, NumericFieldRefusesLettersButTakesDigits)
{
    field->SetEditType(etNumeric);
    field->SetText("12");
    EXPECT_FALSE(Drop("abc", PointAt(1)));
    EXPECT_EQ(field->Text(), "12");
    EXPECT_TRUE(Drop("34", PointAt(1)));
    EXPECT_EQ(field->Text(), "1342");
}

TEST_F(FieldDrop, AlphaNumericFieldTakesOnlyAsciiLettersAndDigits)
{
    field->SetEditType(etAlphaNumeric);
    field->SetText("ab");
    EXPECT_FALSE(Drop("-", PointAt(1)));
    EXPECT_FALSE(Drop(QString::fromUtf8("\u0663"), PointAt(1))); // an Arabic-Indic digit
    EXPECT_TRUE(Drop("Z9", PointAt(1)));
    EXPECT_EQ(field->Text(), "aZ9b");
}

TEST_F(FieldDrop, UppercaseFieldConvertsTheDroppedText)
{
    field->SetEditType(etUppercase);
    field->SetText("AB");
    EXPECT_TRUE(Drop("cd", PointAt(2)));
    EXPECT_EQ(field->Text(), "ABCD");
}

TEST_F(FieldDrop, ReadOnlyFieldAndEmptyTextTakeNothing)
{
    field->SetText("abc");
    EXPECT_FALSE(Drop("\nonly later lines", PointAt(1)));
    field->setReadOnly(true);
    EXPECT_FALSE(Drop("x", PointAt(1)));
    EXPECT_EQ(field->Text(), "abc");
}

TEST_F(FieldDrop, MarkerFollowsTheDragAndGoesWithIt)
{
    field->SetText("hello");
    auto* dnd = field->findChild<TEditDragDrop*>();
    ASSERT_NE(dnd, nullptr);
    QMimeData data;
    data.setText("x");
    QDragEnterEvent enter(PointAt(2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(dnd->MarkerPosition(), 2);
    QDragMoveEvent move(PointAt(4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field.get(), &move);
    EXPECT_EQ(dnd->MarkerPosition(), 4);
    QDragLeaveEvent leave;
    QApplication::sendEvent(field.get(), &leave);
    EXPECT_EQ(dnd->MarkerPosition(), -1);
}

// A drag out of the field may copy or move; a click inside the selection without a
// drag puts the caret where it was clicked.
TEST_F(FieldDrop, DraggingTheSelectionOffersCopyAndMove)
{
    field->SetOleDropSource(true);
    field->SetText("hello world");
    field->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(field.get()));
    field->setFocus();
    QApplication::processEvents();
    field->setSelection(6, 5);
    const QPoint from = PointAt(8);
    QTest::mousePress(field.get(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(field.get(), from + QPoint(QApplication::startDragDistance() + 4, 0));
    const QDrag* drag = field->findChild<QDrag*>(); // ended at once here, not yet deleted
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->mimeData()->text(), "world");
    EXPECT_EQ(drag->supportedActions(), Qt::CopyAction | Qt::MoveAction);
    QTest::mouseRelease(field.get(), Qt::LeftButton, Qt::NoModifier, from);
    EXPECT_EQ(field->text(), "hello world"); // dropped nowhere: nothing moved

    field->setSelection(6, 5);
    QTest::mouseClick(field.get(), Qt::LeftButton, Qt::NoModifier, PointAt(8));
    EXPECT_FALSE(field->hasSelectedText());
    EXPECT_EQ(field->cursorPosition(), 8);
}

TEST_F(FieldDrop, ClickInThePrefixSelectsTheValue)
{
    field->SetPrefix("No. ");
    field->SetText("12");
    QTest::mouseClick(field.get(), Qt::LeftButton, {}, PointAt(1));
    EXPECT_EQ(field->selectedText(), "12");
    field->SetSuffix(" pcs");
    QTest::mouseClick(field.get(), Qt::LeftButton, {}, QPoint(195, 12));
    EXPECT_EQ(field->cursorPosition(), 6); // end of the value, before the suffix
    EXPECT_FALSE(field->hasSelectedText());
}

// Offscreen ends every drag at once. A real drag from one field into another runs on an
// X server of the test's own, in a child run of this test program.
TEST(FieldDragOnX, MoveTakesTheTextOutOfTheSourceField)
{
    valueedit_testing::App();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            GTEST_SKIP() << "Xvfb is not installed";
        QProcess xvfb; // reports its display once it accepts connections
        xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        ASSERT_TRUE(xvfb.waitForReadyRead(15000));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + QString::fromLatin1(xvfb.readLine().trimmed()));
        env.insert("QT_QPA_PLATFORM", "xcb");
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=FieldDragOnX.*"});
        const bool finished = child.waitForFinished(60000);
        const QByteArray output = child.readAll();
        xvfb.terminate();
        xvfb.waitForFinished(5000);
        ASSERT_TRUE(finished) << output.constData();
        EXPECT_EQ(child.exitCode(), 0) << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
        return;
    }
    QWidget top;
    top.resize(300, 100);
    auto* source = new TValueEdit(&top);
    source->setGeometry(10, 10, 200, 24);
    auto* target = new TValueEdit(&top);
    target->setGeometry(10, 60, 200, 24);
    source->SetOleDropSource(true);
    target->SetOleDropTarget(true);
    source->SetText("hello world");
    target->SetText("x");
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    top.activateWindow(); // no window manager here to do it
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
    source->setFocus();
    QApplication::processEvents();
    source->setSelection(6, 5);
    // While the drag runs, the mouse goes down to the other field and lets go there.
    const QPoint over = target->geometry().center();
    QTimer::singleShot(50, [&] {
        for (int y = 25; y <= over.y(); y += 5)
            QTest::mouseMove(top.windowHandle(), QPoint(over.x(), y));
        QTest::mouseRelease(top.windowHandle(), Qt::LeftButton, Qt::NoModifier, over);
    });
    int x = 0;
    while (x < source->width() && source->cursorPositionAt(QPoint(x, 12)) < 8)
        ++x;
    QTest::mousePress(source, Qt::LeftButton, Qt::NoModifier, QPoint(x, 12));
    QTest::mouseMove(source, QPoint(x + 10, 12));
    EXPECT_EQ(target->Text(), "xworld");
    EXPECT_EQ(source->Text(), "hello ");
    EXPECT_TRUE(source->Modified());
}

} // namespace
