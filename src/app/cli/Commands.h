#pragma once

#include "run/SeriesStore.h"
#include "run/SettingsFile.h"

#include <QCommandLineParser>
#include <QString>

#include <memory>
#include <optional>

// What the commands share; each command lives in a file of its own.
namespace cli {

// A line on standard error.
void Say(const QString& line);
// A usage error: the message, a hint at --help, and the usage exit status.
int Usage(const QString& message);
// An option's whole number: none when not given; *error set when it is not a number.
std::optional<qint64> IntegerOption(const QCommandLineParser& parser, const QString& name, QString* error);
// The series a command prints from: the settings file's, or the command line's.
std::shared_ptr<TSeriesStore> Store(const QCommandLineParser& parser, const QString& settingsPath,
                                    const TallyforgeSettings& settings);
// "5-9", or "5" for one serial.
QString Range(qint64 first, qint64 last);

// print and reprint (kind Print or Reprint; --no-advance makes a print one that leaves
// the counter), log, and series.
enum class PrintVerb { Print, Reprint, Resume };
int PrintCommand(const QCommandLineParser& parser, const QString& settingsPath, PrintVerb verb);
int LogCommand(const QCommandLineParser& parser, const QString& settingsPath);
int SeriesCommand(const QCommandLineParser& parser, const QString& settingsPath);
// void FIRST [LAST]: serials spoiled, on record.
int VoidCommand(const QCommandLineParser& parser, const QString& settingsPath);

} // namespace cli
