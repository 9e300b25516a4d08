#include "platform/FormatSettings.h"

#include <QLocale>

namespace {
FormatSettings& Instance()
{
    static FormatSettings settings;
    return settings;
}
} // namespace

const FormatSettings& FormatSettings::Current() { return Instance(); }

void FormatSettings::Replace(const FormatSettings& settings) { Instance() = settings; }

void FormatSettings::LoadFromSystem()
{
    const QLocale locale = QLocale::system();
    FormatSettings settings;
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    // Some locales use multi-character separators; the input rules work on one character.
    if (decimal.size() == 1)
        settings.DecimalSeparator = decimal.at(0);
    if (group.size() == 1)
        settings.ThousandSeparator = group.at(0);
    // A narrow or plain no-break space groups like a space in typed input.
    if (settings.ThousandSeparator == QChar(0x202F) || settings.ThousandSeparator == QChar(0x00A0))
        settings.ThousandSeparator = QLatin1Char(' ');
    Replace(settings);
}

ScopedFormatSettings::ScopedFormatSettings(QChar decimalSeparator, QChar thousandSeparator)
    : saved_(FormatSettings::Current())
{
    FormatSettings settings;
    settings.DecimalSeparator = decimalSeparator;
    settings.ThousandSeparator = thousandSeparator;
    FormatSettings::Replace(settings);
}

ScopedFormatSettings::~ScopedFormatSettings() { FormatSettings::Replace(saved_); }

QLocale NumberLocale()
{
    const QChar separator = FormatSettings::Current().DecimalSeparator;
    QLocale locale;
    if (locale.decimalPoint() != QString(separator))
        locale = separator == QLatin1Char(',') ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}
