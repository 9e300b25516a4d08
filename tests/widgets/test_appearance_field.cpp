#include "platform/Shell.h"
#include "value_edit_testing.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QToolTip>

namespace {

const QColor kParentColor(200, 220, 240);

class FieldLook : public ::testing::Test {
protected:
    void SetUp() override
    {
        valueedit_testing::App();
        window = std::make_unique<QWidget>();
        QPalette pal = window->palette();
        pal.setColor(QPalette::Window, kParentColor);
        window->setPalette(pal);
        window->setAutoFillBackground(true);
        window->resize(300, 100);
        field = new TValueEdit(window.get());
        field->setGeometry(10, 10, 120, 24);
        other = new QLineEdit(window.get());
        other->setGeometry(10, 50, 120, 24);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        other->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override { shell::SetOpenHandler(nullptr); }

    QImage Picture() const { return field->grab().toImage(); }
    void Hover(bool in)
    {
        if (in) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), field->mapToGlobal(QPointF(5, 5)));
            QApplication::sendEvent(field, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(field, &leave);
        }
    }

    std::unique_ptr<QWidget> window;
    TValueEdit* field = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(FieldLook, FlatFieldHasNoFrameTheParentsColourAndAnUnderline)
{
    field->SetFlatLineColor(Qt::red);
    field->SetFlat(true);
    EXPECT_FALSE(field->hasFrame());
    EXPECT_EQ(field->textMargins(), QMargins(2, 4, 2, 4));
    const QImage image = Picture();
    EXPECT_EQ(image.pixelColor(60, 23), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(0, 23), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(60, 0), kParentColor);
    EXPECT_EQ(image.pixelColor(110, 12), kParentColor);
    EXPECT_EQ(field->FocusColor(), kParentColor);
}

TEST_F(FieldLook, SoftBorderFramesTheFlatField)
{
    field->SetFlatLineColor(Qt::red);
    field->SetSoftBorder(true);
    field->SetFlat(true);
    const QImage image = Picture();
    for (const QPoint& p : {QPoint(60, 0), QPoint(0, 12), QPoint(119, 12), QPoint(60, 23)})
        EXPECT_EQ(image.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixelColor(110, 12), kParentColor);
}

TEST_F(FieldLook, SwitchingFlatOffRestoresFrameAndColour)
{
    const QColor before = field->Color();
    field->SetFlatLineColor(Qt::red);
    field->SetFlat(true);
    field->SetFlat(false);
    EXPECT_TRUE(field->hasFrame());
    EXPECT_EQ(field->Color(), before);
    EXPECT_EQ(field->textMargins(), QMargins());
    const QImage image = Picture();
    for (int x = 0; x < 120; x += 7)
        EXPECT_NE(image.pixelColor(x, 23), QColor(Qt::red)) << x;
}

TEST_F(FieldLook, FlatTakesEffectOnlyAfterLoading)
{
    field->SetLoading(true);
    field->SetFlat(true);
    EXPECT_TRUE(field->hasFrame());
    field->Loaded();
    EXPECT_FALSE(field->hasFrame());
}

TEST_F(FieldLook, FocusBorderOfAFlatFieldFollowsTheFocus)
{
    field->SetFocusBorder(true);
    field->SetFlat(true);
    QImage image = Picture();
    EXPECT_EQ(image.pixelColor(60, 0), kParentColor);
    EXPECT_EQ(image.pixelColor(60, 1), kParentColor);

    field->setFocus();
    QApplication::processEvents();
    image = Picture();
    EXPECT_EQ(image.pixel(60, 0), field->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(0, 12), field->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(60, 23), field->palette().color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(119, 12), field->palette().color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(60, 1), field->palette().color(QPalette::Button).rgb());
}

TEST_F(FieldLook, FocusBorderOfAPlainFieldShowsWhileHovered)
{
    field->SetFocusBorder(true);
    const QRgb dark = field->palette().color(QPalette::Dark).rgb();
    const QRgb face = field->palette().color(QPalette::Button).rgb();
    Hover(true);
    QImage image = Picture();
    EXPECT_EQ(image.pixel(60, 0), dark);
    EXPECT_EQ(image.pixel(60, 1), face);
    EXPECT_FALSE(field->hasFocus()); // hovering alone takes no focus
    Hover(false);
    image = Picture();
    EXPECT_FALSE(image.pixel(60, 0) == dark && image.pixel(60, 1) == face);
}

TEST_F(FieldLook, AutoFocusTakesTheFocusOnHover)
{
    field->SetAutoFocus(true);
    Hover(true);
    QApplication::processEvents();
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(FieldLook, TransparentFieldShowsTheParent)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, Qt::green);
    window->setPalette(pal);
    field->SetTransparent(true);
    EXPECT_EQ(window->grab(field->geometry()).toImage().pixelColor(110, 12), QColor(Qt::green));
    field->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(window->grab(field->geometry()).toImage().pixelColor(110, 12), QColor(Qt::green));
    field->SetTransparent(false);
    EXPECT_NE(window->grab(field->geometry()).toImage().pixelColor(110, 12), QColor(Qt::green));
}

TEST_F(FieldLook, AddressIsShownAsALinkAndOpenedOnClick)
{
    QString opened;
    shell::SetOpenHandler([&](const QUrl& url) {
        opened = url.toString();
        return true;
    });
    const QColor normal = field->FontColor();
    field->SetURLColor(Qt::darkMagenta);
    field->SetShowURL(true);
    field->SetText("https://example.org/x");
    EXPECT_TRUE(field->font().underline());
    EXPECT_EQ(field->FontColor(), QColor(Qt::darkMagenta));
    EXPECT_EQ(field->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(field, Qt::LeftButton); // not focused yet: nothing opens
    field->setFocus();
    QApplication::processEvents();
    QTest::mouseClick(field, Qt::LeftButton);
    EXPECT_EQ(opened, "https://example.org/x");

    field->SelectValue();
    EXPECT_EQ(field->selectedText(), "example.org/x");

    field->SetText("plain text");
    EXPECT_FALSE(field->font().underline());
    EXPECT_EQ(field->FontColor(), normal); // the focus font colour, the default one
    EXPECT_EQ(field->cursor().shape(), Qt::IBeamCursor);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(field->FontColor(), normal);
}

// Opening is for a click: a drag that selects part of the address opens nothing.
TEST_F(FieldLook, DragSelectingPartOfAnAddressDoesNotOpenIt)
{
    int opened = 0;
    shell::SetOpenHandler([&](const QUrl&) { return ++opened, true; });
    field->SetShowURL(true);
    field->SetText("https://example.org/x");
    field->setFocus();
    QApplication::processEvents();
    field->setCursorPosition(0);
    const QPoint from(30, field->height() / 2);
    const QPoint to = from + QPoint(40, 0);
    QTest::mousePress(field, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(field, to);
    QTest::mouseRelease(field, Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_TRUE(field->hasSelectedText());
    EXPECT_EQ(opened, 0);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(opened, 1);
}

TEST_F(FieldLook, WithoutShowURLAnAddressIsPlainText)
{
    field->SetText("https://example.org");
    EXPECT_FALSE(field->font().underline());
    field->SelectValue();
    EXPECT_EQ(field->selectedText(), "https://example.org");
}

TEST_F(FieldLook, LargeTextHintShowsTheWholeTextOnlyWhenItDoesNotFit)
{
    field->SetHintShowLargeText(true);
    field->SetText("short");
    QHelpEvent shortHelp(QEvent::ToolTip, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field, &shortHelp);
    EXPECT_TRUE(QToolTip::text().isEmpty());

    const QString wide = QString("a rather long value ").repeated(5);
    field->SetText(wide);
    QHelpEvent wideHelp(QEvent::ToolTip, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field, &wideHelp);
    EXPECT_EQ(QToolTip::text(), wide);
    QToolTip::hideText();
}

} // namespace
