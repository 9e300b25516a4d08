#pragma once

#include "app/Tallyforge.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QMenu;

// A main window on its own settings file in a temporary folder, printing to a test
// device of known quantities; error boxes are collected instead of shown, and questions
// too, answered with answer_.
class WindowTest : public testing::Test {
public:
    // 600 dpi letter paper with a printable area inset by 100 and 150 pixels.
    static constexpr TDeviceCaps kCaps { 600, 600, 5100, 6600, 100, 150, 4900, 6300 };

protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TfrmTallyforge> MakeWindow();
    void WriteSettings(const QByteArray& content);
    QString Setting(const QString& section, const QString& key) const;
    // Where a print to the test device goes.
    QString OutputPdf() const { return dir_.filePath(QStringLiteral("out.pdf")); }

    QTemporaryDir dir_;
    QString settingsPath_;
    QStringList errors_;
    QStringList questions_;
    bool answer_ = false;
    ScopedFormatSettings formats_ { QLatin1Char('.'), QLatin1Char(',') };
};

// Answers the next modal dialog of type T once it is up.
template <typename T>
void WhenModal(std::function<void(T*)> answer)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [answer, poll] {
        if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget()))
            answer(modal);
        else
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

// Shows the window at 900 x 700, large enough to judge its preview; false when it did
// not reach the screen.
bool ShowLarge(TfrmTallyforge& window);
// The preview as it is painted once pending events are handled.
QImage PreviewImage(TfrmTallyforge& window);

// Opens a menu as a pop-up and chooses an item with the keys a user presses.
void ChooseFromMenu(QMenu* menu, const QList<int>& keys);

// Selects all of a field's text and types text in its place.
void Retype(QWidget* field, const QString& text);
