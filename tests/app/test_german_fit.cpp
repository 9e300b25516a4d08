// German runs longer than English: every window and dialog, at the size it opens with in
// a German session, shows each caption, button text, group title, column heading and
// status bar part whole.
#include "support_app.h"
#include "support_window.h"

#include "platform/Translations.h"
#include "app/PrintLog.h"
#include "preview/PreviewStatusBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <functional>

namespace {

// Fits with the accelerator's '&' taken out ("&&" stays one '&').
QString Shown(QString text)
{
    text.replace(QLatin1String("&&"), QString(QChar(0xE000)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(0xE000), QLatin1Char('&'));
    return text;
}

QString Describe(const QWidget* widget, const QString& text, int needed, int room)
{
    return QStringLiteral("%1 %2 \"%3\": needs %4 px, has %5")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(), text)
        .arg(needed)
        .arg(room);
}

int Widest(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = qMax(widest, metrics.horizontalAdvance(line));
    return widest;
}

// Every text on the visible widgets of `top` that does not fit its room.
QStringList Misfits(QWidget* top)
{
    QStringList misfits;
    const auto visible = [top](const QWidget* w) { return w->isVisibleTo(top) && w->width() > 0; };
    for (QLabel* label : top->findChildren<QLabel*>()) {
        if (!visible(label) || label->text().isEmpty())
            continue;
        QString text = label->text();
        if (label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
            QTextDocument document;
            document.setHtml(text);
            text = document.toPlainText();
        }
        text = Shown(text);
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
        const QFontMetrics metrics = label->fontMetrics();
        if (label->wordWrap()) {
            // Wrapped: no word wider than the label, and every line within its height.
            for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
                if (metrics.horizontalAdvance(word) > room.width())
                    misfits << Describe(label, word, metrics.horizontalAdvance(word), room.width());
            const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 100000), Qt::TextWordWrap, text);
            if (needed.height() > room.height())
                misfits << Describe(label, text, needed.height(), room.height()) + QStringLiteral(" (height)");
            continue;
        }
        const int needed = Widest(metrics, text);
        if (needed > room.width())
            misfits << Describe(label, text, needed, room.width());
    }
    for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
        if (!visible(button) || button->text().isEmpty())
            continue;
        const QString text = Shown(button->text());
        const int needed = Widest(button->fontMetrics(), text);
        int room = button->contentsRect().width();
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const bool check = qobject_cast<QCheckBox*>(button) != nullptr;
            room = button->style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &option, button).width();
        } else if (auto* tool = qobject_cast<QToolButton*>(button)) {
            if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
                continue;
            if (tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon)
                room -= tool->iconSize().width();
        } else if (qobject_cast<QPushButton*>(button)) {
            // Where the style draws the label: inside the button's frame.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
            if (!button->icon().isNull())
                room -= button->iconSize().width() + 4;
        }
        if (needed > room)
            misfits << Describe(button, text, needed, room);
    }
    for (QGroupBox* group : top->findChildren<QGroupBox*>()) {
        if (!visible(group) || group->title().isEmpty())
            continue;
        const QString text = Shown(group->title());
        int needed = group->fontMetrics().horizontalAdvance(text);
        if (group->isCheckable())
            needed += group->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, group) + 6;
        if (needed > group->contentsRect().width())
            misfits << Describe(group, text, needed, group->contentsRect().width());
    }
    for (QHeaderView* header : top->findChildren<QHeaderView*>()) {
        if (!visible(header) || !header->model())
            continue;
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section))
                continue;
            const QString text = header->model()->headerData(section, header->orientation()).toString();
            if (text.isEmpty())
                continue;
            const int needed = Widest(header->fontMetrics(), text) + 2 * margin;
            const int room = header->orientation() == Qt::Horizontal ? header->sectionSize(section) : header->width();
            if (needed > room)
                misfits << Describe(header, text, needed, room) + QStringLiteral(" (section %1)").arg(section);
        }
    }
    for (TCustomPreviewStatusBar* bar : top->findChildren<TCustomPreviewStatusBar*>()) {
        if (!visible(bar))
            continue;
        for (int i = 0; i < bar->PartTexts().size(); ++i) {
            const QString text = bar->PartTexts().at(i);
            const int needed = bar->fontMetrics().horizontalAdvance(text);
            const int room = bar->PartRect(i).width() - 2 * 3; // the text's indent either side
            if (!text.isEmpty() && needed > room)
                misfits << Describe(bar, text, needed, room) + QStringLiteral(" (part %1)").arg(i);
        }
    }
    return misfits;
}

class GermanFitTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // A German session: the system's locale is German too.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ASSERT_EQ(app::InstallTranslations(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("de"));
    }
    void TearDown() override
    {
        app::InstallTranslations(QLocale::c());
        QLocale::setDefault(QLocale::c());
        WindowTest::TearDown();
    }
    // Opens a dialog by `open`, looks at it as it first shows, and closes it.
    QStringList DialogMisfits(const std::function<void()>& open, const char* what)
    {
        QStringList found;
        bool seen = false;
        WhenModal<QDialog>([&](QDialog* dialog) {
            seen = true;
            QApplication::processEvents();
            for (const QString& misfit : Misfits(dialog))
                found << QLatin1String(what) + QStringLiteral(": ") + misfit;
            dialog->reject();
        });
        open();
        if (!seen)
            found << QLatin1String(what) + QStringLiteral(": did not open");
        return found;
    }
};

TEST_F(GermanFitTest, EveryWindowAndDialogShowsItsTextsWhole)
{
    WriteSettings("[SN]\r\nLastNumber=41\r\n\r\n[Calibration]\r\nTest printer.X=0.05\r\nTest printer.Y=-0.02\r\n");
    auto window = MakeWindow();
    window->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(u'\n').toStdString();

    QStringList misfits;
    for (const QString& misfit : Misfits(window.get()))
        misfits << QStringLiteral("main window: ") + misfit;
    misfits << DialogMisfits([&] { window->ToolButton2->trigger(); }, "Print Setup");
    window->mnuPrint->trigger(); // a run for the Print Log to list
    window->mnuPrintLog->trigger(); // a window of its own beside the main one
    ASSERT_NE(window->PrintLog(), nullptr);
    QApplication::processEvents();
    // When the run started: the year in full and the seconds, the German way.
    auto* table = window->PrintLog()->findChild<QTableView*>();
    ASSERT_NE(table, nullptr);
    ASSERT_GE(table->model()->rowCount(), 1);
    const QString started = table->model()->index(0, 0).data().toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.20\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(started).hasMatch())
        << started.toStdString();
    for (const QString& misfit : Misfits(window->PrintLog()))
        misfits << QStringLiteral("Print Log: ") + misfit;
    window->PrintLog()->close();
    misfits << DialogMisfits([&] { window->mnuReprint->trigger(); }, "Reprint");
    misfits << DialogMisfits([&] { window->mnuCalibrate->trigger(); }, "Calibrate Printer");
    misfits << DialogMisfits([&] { window->mnuNumberFormat->trigger(); }, "Number Format");
    misfits << DialogMisfits([&] { window->mnuSharedSeries->trigger(); }, "Shared Series");
    misfits << DialogMisfits([&] { window->mnuAbout->trigger(); }, "About");
    misfits << DialogMisfits([&] { window->mnuFont->trigger(); }, "Font");
    misfits << DialogMisfits([&] { window->mnuTicketItems->trigger(); }, "Ticket Items");
    misfits << DialogMisfits([&] { window->mnuSheetLayout->trigger(); }, "Sheet Layout");
    EXPECT_TRUE(misfits.isEmpty()) << misfits.join(u'\n').toStdString();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(u'\n').toStdString();

    // The calibration sheet's German instructions stay on the (letter) paper.
    QFile::remove(OutputPdf());
    window->mnuCalibrationSheet->trigger();
    const QList<apptest::PdfWord> words = apptest::PdfWords(OutputPdf());
    ASSERT_GT(words.size(), 20);
    for (const apptest::PdfWord& word : words)
        EXPECT_LE(word.xMax, 8.5 * 72) << word.text.toStdString();
}

} // namespace
