#pragma once

#include "app/Tallyforge.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

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
