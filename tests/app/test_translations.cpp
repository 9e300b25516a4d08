// The program in the user's language: the window, its pop-ups and Qt's own dialogs in
// German under a German locale, exactly as written under C and English, and a
// translation file that keeps up with the sources.
#include "support_app.h"
#include "support_window.h"

#include "app/About.h"
#include "platform/Translations.h"
#include "platform/VersionInfo.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QXmlStreamReader>

#include <map>
#include <vector>

namespace {

struct LanguageRow {
    const char* name;
    const char* locale;
    const char* installed; // what the loader reports
    // The File menu, the View menu and the Units menu, item by item.
    QStringList fileItems;
    QStringList viewItems;
    QStringList unitItems;
    QStringList captions; // Starting SN, Page Count, Horizontal Indent, Vertical Indent, Prefix
    const char* pagePattern;
    const char* pageWidthPattern;
    const char* yesButton; // Qt's own translation
    char copyKey;           // the accelerator of Copy in a field's pop-up menu
    const char* aboutTitle;
    const char* emailLabel;
};

const QStringList kEnglishFile { "&Print", "Print &Log...", "&Reprint...", "Print &Calibration Sheet", "Print &Setup...", "E&xit" };
const QStringList kEnglishView { "Page Width", "Whole Page" };
const QStringList kEnglishUnits { "Centimeter", "Inches" };
const QStringList kEnglishCaptions { "Starting SN", "Page Count", "Horizontal Indent", "Vertical Indent", "Prefix" };
const QStringList kGermanFile { "&Drucken", "Druck&protokoll...", "&Nachdrucken...", "&Kalibrierblatt drucken", "Drucker&einrichtung...", "&Beenden" };
const QStringList kGermanView { "Seitenbreite", "Ganze Seite" };
const QStringList kGermanUnits { "Zentimeter", "Zoll" };
const QStringList kGermanCaptions { "Erste Seriennr.", "Seitenanzahl", "Einzug links", "Einzug oben", "Präfix" };

const LanguageRow kRows[] = {
    { "German", "de_DE", "de", kGermanFile, kGermanView, kGermanUnits, kGermanCaptions,
      "^Seite 1 von \\d+$", "^Seitenbreite \\(\\d+%\\)$", "&Ja", 'K', "Info", "E-Mail:" },
    { "AustrianGermanFallsBackToGerman", "de_AT", "de", kGermanFile, kGermanView, kGermanUnits, kGermanCaptions,
      "^Seite 1 von \\d+$", "^Seitenbreite \\(\\d+%\\)$", "&Ja", 'K', "Info", "E-Mail:" },
    { "C", "C", "", kEnglishFile, kEnglishView, kEnglishUnits, kEnglishCaptions,
      "^Page 1 of \\d+$", "^Page width \\(\\d+%\\)$", "&Yes", 'C', "About", "Email:" },
    { "AmericanEnglish", "en_US", "", kEnglishFile, kEnglishView, kEnglishUnits, kEnglishCaptions,
      "^Page 1 of \\d+$", "^Page width \\(\\d+%\\)$", "&Yes", 'C', "About", "Email:" },
    // No French texts: the whole program stays English, Qt's buttons included.
    { "FrenchWithoutTranslationStaysEnglish", "fr_FR", "", kEnglishFile, kEnglishView, kEnglishUnits, kEnglishCaptions,
      "^Page 1 of \\d+$", "^Page width \\(\\d+%\\)$", "&Yes", 'C', "About", "Email:" },
};

QStringList Texts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

// The accelerator letter of a caption, or 0.
QChar Accelerator(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1].toLower();
        ++i;
    }
    return QChar();
}

class TranslationTest : public WindowTest, public testing::WithParamInterface<LanguageRow> {
protected:
    void TearDown() override
    {
        app::InstallTranslations(QLocale::c());
        WindowTest::TearDown();
    }
};

TEST_P(TranslationTest, WindowPopUpsAndQtDialogsSpeakTheLocale)
{
    const LanguageRow& row = GetParam();
    ASSERT_EQ(app::InstallTranslations(QLocale(QLatin1String(row.locale))), QLatin1String(row.installed));
    auto window = MakeWindow();
    window->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(u'\n').toStdString();

    EXPECT_EQ(Texts(window->mnuFile), row.fileItems);
    EXPECT_EQ(Texts(window->mnuView), row.viewItems);
    EXPECT_EQ(Texts(window->mnuUnits), row.unitItems);
    // Every menu of the bar opens with Alt and its own letter, and no two items of one
    // menu share an accelerator.
    std::map<QChar, QString> titles;
    for (const QAction* title : window->menuBar()->actions()) {
        const QChar key = Accelerator(title->text());
        EXPECT_FALSE(key.isNull()) << title->text().toStdString();
        EXPECT_TRUE(key.isNull() || titles.emplace(key, title->text()).second) << title->text().toStdString();
    }
    for (const QMenu* menu : window->menuBar()->findChildren<QMenu*>()) {
        std::map<QChar, QString> taken;
        for (const QString& text : Texts(menu)) {
            const QChar key = Accelerator(text);
            if (key.isNull())
                continue;
            EXPECT_TRUE(taken.emplace(key, text).second) << text.toStdString() << " clashes with "
                                                         << taken[key].toStdString();
        }
    }

    // Each caption fits above its own field, clear of the next one.
    THistoryEdit* const fields[] = { window->txtStartingSN, window->txtPageCount, window->txtHorizontalIndent,
                                     window->txtVerticalIndent, window->txtPrefix, window->txtSuffix };
    for (int i = 0; i < row.captions.size(); ++i) {
        EXPECT_EQ(fields[i]->LabelCaption(), row.captions[i]);
        const QLabel* label = fields[i]->Label();
        ASSERT_NE(label, nullptr);
        EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()), fields[i + 1]->x())
            << row.captions[i].toStdString();
    }

    // The status bar, before and after a click on the toolbar's Page Width button.
    QTest::mouseClick(window->ToolBar1->widgetForAction(window->butPageWidth), Qt::LeftButton);
    const QStringList parts = window->PreviewStatusBar1->PartTexts();
    ASSERT_GE(parts.size(), 2);
    EXPECT_TRUE(QRegularExpression(QLatin1String(row.pagePattern)).match(parts[0]).hasMatch()) << parts[0].toStdString();
    EXPECT_TRUE(QRegularExpression(QLatin1String(row.pageWidthPattern)).match(parts[1]).hasMatch()) << parts[1].toStdString();

    // A field's pop-up menu: its Copy item is chosen by its accelerator key.
    THistoryEdit* prefix = window->txtPrefix;
    prefix->setFocus();
    prefix->setText(QStringLiteral("AB"));
    prefix->selectAll();
    QApplication::clipboard()->clear();
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(4, 4), prefix->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(prefix, &menuEvent);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QTest::keyClick(popup, row.copyKey);
    QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("AB"));

    // Qt's own buttons, as every standard dialog shows them.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("t"), QStringLiteral("q"), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QLatin1String(row.yesButton));

    // The About box: title, and the mail address clear of its caption.
    TAboutBox about(window.get());
    EXPECT_EQ(about.windowTitle(), QLatin1String(row.aboutTitle));
    EXPECT_EQ(about.Label3->text(), QLatin1String(row.emailLabel));
    EXPECT_LT(about.Label3->x() + about.Label3->fontMetrics().horizontalAdvance(about.Label3->text()), about.Label4->x());
}

INSTANTIATE_TEST_SUITE_P(Locales, TranslationTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<LanguageRow>& info) { return std::string(info.param.name); });

// --- the translation file

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type; // empty when finished
};

std::vector<Message> ReadTs(const QString& path)
{
    std::vector<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"message")
            current = Message { context, {}, {}, {} };
        else if (xml.name() == u"source")
            current.source = xml.readElementText();
        else if (xml.name() == u"translation") {
            current.type = xml.attributes().value(QLatin1String("type")).toString();
            current.translation = xml.readElementText();
            messages.push_back(current);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

QString TsPath()
{
    return qEnvironmentVariable("TALLYFORGE_SOURCE_DIR") + QStringLiteral("/translations/tallyforge_de.ts");
}

QStringList Placeholders(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(\\d+|d|%)"));
    QStringList found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    found.sort();
    return found;
}

TEST(TranslationFile, EveryEntryFinishedWithItsPlaceholdersAndOneAccelerator)
{
    const std::vector<Message> messages = ReadTs(TsPath());
    ASSERT_GT(messages.size(), 50u) << TsPath().toStdString();
    for (const Message& m : messages) {
        const std::string where = (m.context + QStringLiteral(": ") + m.source).toStdString();
        EXPECT_TRUE(m.type.isEmpty()) << where << " is " << m.type.toStdString();
        EXPECT_FALSE(m.translation.isEmpty()) << where;
        EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source)) << where;
        EXPECT_EQ(Accelerator(m.translation).isNull(), Accelerator(m.source).isNull()) << where;
        EXPECT_EQ(m.translation.count(u'&') - 2 * m.translation.count(QStringLiteral("&&")),
                  m.source.count(u'&') - 2 * m.source.count(QStringLiteral("&&"))) << where;
    }
}

TEST(TranslationFile, HoldsEveryTextTheSourcesMark)
{
    const QString lupdate = QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/lupdate");
    ASSERT_TRUE(QFile::exists(lupdate)) << lupdate.toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString copy = dir.filePath(QStringLiteral("tallyforge_de.ts"));
    ASSERT_TRUE(QFile::copy(TsPath(), copy));
    QProcess process;
    process.start(lupdate, { QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                             qEnvironmentVariable("TALLYFORGE_SOURCE_DIR") + QStringLiteral("/src"),
                             QStringLiteral("-ts"), copy });
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    // A marked text without a German entry comes back unfinished.
    QStringList missing;
    for (const Message& m : ReadTs(copy))
        if (m.type == u"unfinished")
            missing << m.context + QStringLiteral(": ") + m.source;
    EXPECT_TRUE(missing.isEmpty()) << "No German for:\n" << missing.join(u'\n').toStdString();
}

} // namespace
