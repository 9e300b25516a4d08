// The rectangles a code is drawn with, taken from the encoder's modules, must cover the
// page exactly where the encoder's own vector layout does (quiet zones included), for
// every symbology drawn that way and values of several lengths.
#include "ticket/Barcode.h"

#include <QRectF>
#include <QString>

#include <gtest/gtest.h>
#include <zint.h>

#include <memory>
#include <vector>

namespace {

using ticket::TSymbology;

struct Layout {
    QSizeF size;
    QList<QRectF> dark;
};

// The encoder's layout of the same code, as EncodeBarcode sets the encoder up.
Layout ZintLayout(TSymbology symbology, const QString& text)
{
    const std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    symbol->symbology = symbology == TSymbology::QR           ? BARCODE_QRCODE
                      : symbology == TSymbology::DataMatrix   ? BARCODE_DATAMATRIX
                      : symbology == TSymbology::Code39       ? BARCODE_CODE39
                      : symbology == TSymbology::ITF          ? BARCODE_C25INTER
                                                              : BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    if (symbology == TSymbology::DataMatrix)
        symbol->option_3 = DM_SQUARE;
    if (symbology == TSymbology::QR)
        symbol->option_3 = 1 << 8;
    const QByteArray utf8 = text.toUtf8();
    EXPECT_LT(ZBarcode_Encode_and_Buffer_Vector(symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()),
                                                int(utf8.size()), 0),
              ZINT_ERROR);
    Layout layout;
    layout.size = QSizeF(symbol->vector->width, symbol->vector->height);
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next)
        if (r->colour <= 0 || r->colour == 7)
            layout.dark << QRectF(r->x, r->y, r->width, r->height);
    return layout;
}

// Which of a fine grid's cells (several to a module) are dark, in the layout's own units
// scaled to the unit square.
std::vector<bool> Raster(const Layout& layout, int columns, int rows)
{
    std::vector<bool> dark(size_t(columns) * rows, false);
    for (const QRectF& r : layout.dark) {
        const QRectF unit(r.x() / layout.size.width(), r.y() / layout.size.height(), r.width() / layout.size.width(),
                          r.height() / layout.size.height());
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < columns; ++x)
                if (unit.contains(QPointF((x + 0.5) / columns, (y + 0.5) / rows)))
                    dark[size_t(y) * columns + x] = true;
    }
    return dark;
}

TEST(BarcodeShapes, CoverWhatTheEncoderLaysOut)
{
    const struct {
        TSymbology symbology;
        QStringList texts;
    } cases[] = {
        { TSymbology::QR, { QStringLiteral("SN-000001"), QStringLiteral("A-7"), QStringLiteral("https://example.org/t/0123456789?q=ABCDEFGHIJ") } },
        { TSymbology::DataMatrix, { QStringLiteral("SN-000001"), QStringLiteral("12"), QStringLiteral("Ticket 4711 of the run, row 3") } },
        { TSymbology::Code128, { QStringLiteral("SN-000001"), QStringLiteral("0123456789012"), QStringLiteral("x") } },
        { TSymbology::Code39, { QStringLiteral("SN-000001"), QStringLiteral("A $/+%") } },
        { TSymbology::ITF, { QStringLiteral("00"), QStringLiteral("0123456789") } },
    };
    for (const auto& c : cases)
        for (const QString& text : c.texts) {
            SCOPED_TRACE(text.toStdString());
            QString error;
            const std::optional<ticket::TBarcodeShapes> shapes = ticket::EncodeBarcode(c.symbology, text, false, &error);
            ASSERT_TRUE(shapes) << error.toStdString();
            const Layout expected = ZintLayout(c.symbology, text);
            const Layout drawn { shapes->size, shapes->bars };
            // Both square for a 2-D code; a linear one is stretched to its box either way.
            if (ticket::IsTwoDimensional(c.symbology)) {
                EXPECT_DOUBLE_EQ(drawn.size.width() / drawn.size.height(), expected.size.width() / expected.size.height());
            }
            EXPECT_DOUBLE_EQ(shapes->barsBottom, shapes->size.height()); // nothing under the bars
            EXPECT_TRUE(shapes->texts.isEmpty());
            // Four cells a module across, so a module off by one or a missing bar shows.
            const int columns = int(expected.size.width() * 2);
            const int rows = ticket::IsTwoDimensional(c.symbology) ? int(expected.size.height() * 2) : 3;
            EXPECT_EQ(Raster(drawn, columns, rows), Raster(expected, columns, rows));
            EXPECT_LE(drawn.dark.size(), expected.dark.size()); // never more shapes than the encoder's
        }
}

} // namespace
