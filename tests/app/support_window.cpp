#include "support_window.h"

#include "support_app.h"

#include "app/Tallyforge.h"
#include "preview/Preview.h"

#include "platform/Application.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTest>

void WindowTest::SetUpTestSuite() { apptest::EnsureApplication(); }

void WindowTest::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    settingsPath_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
    TPrinter::InstallTestDevice(kCaps);
    Printer().SetOutputFileName(OutputPdf());
    app::SetErrorHandler([this](const QString&, const QString& text) { errors_ << text; });
    app::SetQuestionHandler([this](const QString&, const QString& text) {
        questions_ << text;
        return answer_;
    });
}

void WindowTest::TearDown()
{
    app::SetErrorHandler(nullptr);
    app::SetQuestionHandler(nullptr);
    TPrinter::ResetForTests();
}

std::unique_ptr<TfrmTallyforge> WindowTest::MakeWindow()
{
    return std::make_unique<TfrmTallyforge>(nullptr, settingsPath_);
}

void WindowTest::WriteSettings(const QByteArray& content)
{
    QFile file(settingsPath_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QString WindowTest::Setting(const QString& section, const QString& key) const
{
    return apptest::IniValue(settingsPath_, section, key);
}

void ChooseFromMenu(QMenu* menu, const QList<int>& keys)
{
    menu->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    for (int key : keys)
        QTest::keyClick(menu, Qt::Key(key));
}

void Retype(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

bool ShowLarge(TfrmTallyforge& window)
{
    window.resize(900, 700);
    window.showNormal();
    return QTest::qWaitForWindowExposed(&window);
}

QImage PreviewImage(TfrmTallyforge& window)
{
    QApplication::processEvents();
    return window.Preview1->grab().toImage();
}
