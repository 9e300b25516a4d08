#include "app/SerialDrawing.h"

#include "platform/Geometry.h"

namespace serial {

qint32 SerialNumber(qint32 start, qint32 pageIndex)
{
    // Unsigned arithmetic wraps by definition; the conversion back is modular in C++20.
    const quint32 sum = static_cast<quint32>(start) + static_cast<quint32>(pageIndex) - 1u;
    return static_cast<qint32>(sum);
}

QString SerialText(const QString& prefix, qint32 start, qint32 pageIndex, const QString& suffix)
{
    return prefix + QString::number(SerialNumber(start, pageIndex)) + suffix;
}

QPoint DevicePoint(double xPixels, double yPixels)
{
    return QPoint(RoundHalfEven(xPixels), RoundHalfEven(yPixels));
}

} // namespace serial
