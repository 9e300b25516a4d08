#pragma once

#include <QLocale>

#include <QChar>

// The user's number formats, read once at start. Every numeric rule (input fields,
// floats in the settings file) goes through Current(), so tests can pin a locale
// with Replace() regardless of the machine they run on.
class FormatSettings {
public:
    QChar DecimalSeparator = QLatin1Char('.');
    QChar ThousandSeparator = QLatin1Char(',');

    static const FormatSettings& Current();
    static void Replace(const FormatSettings& settings);
    // Reads QLocale::system() into Current(); called once at program start.
    static void LoadFromSystem();
};

// Pins the formats for one scope and puts the previous ones back afterwards.
class ScopedFormatSettings {
public:
    ScopedFormatSettings(QChar decimalSeparator, QChar thousandSeparator);
    ~ScopedFormatSettings();
    ScopedFormatSettings(const ScopedFormatSettings&) = delete;
    ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

private:
    FormatSettings saved_;
};

// A locale whose decimal separator is Current()'s and that writes no group separator,
// for spin boxes, so they read and show numbers as every other field of the program.
QLocale NumberLocale();
