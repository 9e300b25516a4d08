#include "run/SeriesCounter.h"

#include "platform/Exception.h"
#include "platform/IniFile.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QFile>

namespace {

const QString kSection = QStringLiteral("SN");
const QString kKey = QStringLiteral("LastNumber");
// Long enough for a save on a slow disk, short enough that a stuck program is reported.
constexpr std::chrono::milliseconds kLockWait { 15000 };

TSeriesCounter::Reading ReadingOf(const TIniFile& ini)
{
    TSeriesCounter::Reading reading;
    reading.text = ini.ReadString(kSection, kKey, QString());
    // A missing or empty key is a series not yet begun; any other text must be a number.
    reading.value = reading.text.isEmpty() ? std::optional<int>(0) : inirules::ParseInteger(reading.text);
    return reading;
}

qint32 AddWrapping(qint32 a, qint32 b) { return qint32(quint32(a) + quint32(b)); }

// The file's bytes, or nothing when there is no file.
std::optional<QByteArray> FileBytes(const QString& path) { return regularfile::Read(path); }

} // namespace

TSeriesCounter::TSeriesCounter(QString settingsPath)
    : path_(std::move(settingsPath))
{
}

TSeriesCounter::Reading TSeriesCounter::Read() const
{
    CheckReadable(path_);
    return ReadingOf(TIniFile(path_));
}

void TSeriesCounter::CheckReadable(const QString& settingsPath)
{
    const std::optional<QByteArray> bytes = regularfile::Read(settingsPath);
    if (!bytes)
        return;
    const QByteArray start = bytes->left(2);
    if (start == QByteArray("\xff\xfe", 2) || start == QByteArray("\xfe\xff", 2))
        throw Exception(QCoreApplication::translate("TSeriesCounter", "Cannot open file %1").arg(settingsPath));
}

TFileLock TSeriesCounter::Lock(const QString& settingsPath)
{
    // The kernel's lock: a killed run never leaves the series locked. It nests, so a save
    // that locks for itself may run inside Locked(). A settings path that can never be
    // written (a device, a pipe) gets no lock file beside it either.
    regularfile::CheckReadable(settingsPath);
    regularfile::WriteTarget(settingsPath);
    return TFileLock(settingsPath + QStringLiteral(".lock"), TFileLock::Mode::Exclusive, kLockWait,
        QCoreApplication::translate("TSeriesCounter", "The settings file %1 is in use by another program").arg(settingsPath));
}

void TSeriesCounter::Locked(const std::function<void(const Reading&)>& change)
{
    const TFileLock lock = Lock(path_);
    change(Read());
}

std::optional<TSeriesCounter::Reservation> TSeriesCounter::Reserve(int first, int count, const QString& expectedText,
                                                                   Moved* moved,
                                                                   const std::function<void(int, int)>& record)
{
    std::optional<Reservation> reservation;
    Locked([&](const Reading& now) {
        if (now.text != expectedText) {
            if (moved)
                moved->now = now;
            return;
        }
        Reservation taken;
        taken.first = first;
        taken.last = AddWrapping(first, qMax(1, count) - 1);
        taken.before = FileBytes(path_);
        if (record)
            record(taken.first, taken.last);
        TIniFile ini(path_);
        ini.WriteInteger(kSection, kKey, taken.last);
        ini.UpdateFile();
        taken.text = ReadingOf(ini).text;
        taken.after = ini.ToBytes();
        reservation = taken;
    });
    return reservation;
}

QString TSeriesCounter::GiveBack(const Reservation& reservation, int pagesPrinted,
                                 const std::function<void(bool)>& record)
{
    const int count = int(quint32(reservation.last) - quint32(reservation.first)) + 1;
    // What this caller knows LastNumber to hold: its reservation, unless it changes it
    // now. A number moved by somebody else is not ours to know; the next run sees it.
    QString text = reservation.text;
    Locked([&](const Reading& now) {
        if (now.text != reservation.text || pagesPrinted >= count) {
            if (record)
                record(false);
            return;
        }
        TIniFile ini(path_);
        if (pagesPrinted > 0) {
            ini.WriteInteger(kSection, kKey, AddWrapping(reservation.first, pagesPrinted - 1));
        } else if (FileBytes(path_) == reservation.after) {
            // Nothing else changed the file meanwhile: put back exactly what it held.
            if (!reservation.before) {
                if (!QFile::remove(path_))
                    throw Exception(QCoreApplication::translate("TSeriesCounter", "Cannot create file %1").arg(path_));
            } else {
                regularfile::Replace(path_, *reservation.before);
            }
            text = Read().text;
            if (record)
                record(true);
            return;
        } else {
            TIniFile before(QString{});
            before.LoadFromBytes(reservation.before.value_or(QByteArray()));
            if (before.ValueExists(kSection, kKey))
                ini.WriteString(kSection, kKey, before.ReadString(kSection, kKey, QString()));
            else
                ini.DeleteKey(kSection, kKey);
        }
        ini.UpdateFile();
        text = ReadingOf(ini).text;
        if (record)
            record(true);
    });
    return text;
}
