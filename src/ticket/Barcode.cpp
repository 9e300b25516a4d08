#include "ticket/Barcode.h"

#include "platform/Canvas.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QPolygonF>

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <system_error>
#include <vector>

namespace ticket {

namespace {



bool AllDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int EanCheckDigit(const QString& twelve)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (twelve[i].unicode() - u'0') * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

int ZintSymbology(TSymbology symbology, const QString& text)
{
    switch (symbology) {
    case TSymbology::Code128: return BARCODE_CODE128;
    case TSymbology::Code39: return BARCODE_CODE39;
    case TSymbology::QR: return BARCODE_QRCODE;
    case TSymbology::DataMatrix: return BARCODE_DATAMATRIX;
    case TSymbology::EAN13: return text.size() == 13 ? BARCODE_EANX_CHK : BARCODE_EANX;
    case TSymbology::ITF: return BARCODE_C25INTER;
    }
    return BARCODE_CODE128;
}

constexpr int kQrMask = 0; // the checkerboard, which evens out any data

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

// Quiet zones in modules (left and right, top and bottom) of the codes drawn straight
// from the encoder's module matrix: those with square modules or one row of bars, and
// nothing under them. The rest go through the encoder's own vector layout.
struct Margins {
    int x = 0;
    int y = 0;
};

std::optional<Margins> MatrixMargins(TSymbology symbology, bool humanReadable)
{
    switch (symbology) {
    case TSymbology::QR: return Margins { 4, 4 };
    case TSymbology::DataMatrix: return Margins { 1, 1 };
    case TSymbology::Code128:
    case TSymbology::Code39:
    case TSymbology::ITF:
        if (humanReadable)
            return std::nullopt;
        return Margins { 10, 0 };
    case TSymbology::EAN13: return std::nullopt; // guard bars run longer than the rest
    }
    return std::nullopt;
}

bool Dark(const zint_symbol& symbol, int row, int column)
{
    return (symbol.encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

// The dark modules as few rectangles: from each dark module not yet covered, the longest
// run along the row (over modules covered already, since the fill is their union), grown
// down while every module under it is dark; or the same with columns for rows, whichever
// gives fewer. One row of bars gives one rectangle a bar.
QList<QRectF> MatrixRects(const zint_symbol& symbol, const Margins& margins, bool alongColumns)
{
    const int lines = alongColumns ? symbol.width : symbol.rows;
    const int length = alongColumns ? symbol.rows : symbol.width;
    const auto dark = [&](int line, int at) { return alongColumns ? Dark(symbol, at, line) : Dark(symbol, line, at); };
    std::vector<unsigned char> covered(size_t(lines) * size_t(length), 0);
    QList<QRectF> rects;
    for (int line = 0; line < lines; ++line)
        for (int at = 0; at < length; ++at) {
            if (covered[size_t(line) * length + at] || !dark(line, at))
                continue;
            int end = at + 1;
            while (end < length && dark(line, end))
                ++end;
            int last = line + 1;
            for (; last < lines; ++last) {
                int c = at;
                while (c < end && dark(last, c))
                    ++c;
                if (c < end)
                    break;
            }
            for (int l = line; l < last; ++l)
                std::fill_n(covered.begin() + (size_t(l) * length + at), end - at, 1);
            if (alongColumns)
                rects << QRectF(line + margins.x, at + margins.y, last - line, end - at);
            else
                rects << QRectF(at + margins.x, line + margins.y, end - at, last - line);
        }
    return rects;
}

QList<QRectF> MatrixRects(const zint_symbol& symbol, const Margins& margins)
{
    QList<QRectF> rows = MatrixRects(symbol, margins, false);
    if (symbol.rows == 1)
        return rows;
    QList<QRectF> columns = MatrixRects(symbol, margins, true);
    return columns.size() < rows.size() ? columns : rows;
}

} // namespace

QString BarcodeProblem(TSymbology symbology, const QString& text)
{
    const QString quoted = QStringLiteral("'%1'").arg(text);
    if (text.isEmpty())
        return QCoreApplication::translate("Barcode", "%1 needs something to encode, not an empty text").arg(SymbologyTitle(symbology));
    switch (symbology) {
    case TSymbology::EAN13:
        if (!AllDigits(text) || (text.size() != 12 && text.size() != 13))
            return QCoreApplication::translate("Barcode", "EAN-13 takes 12 or 13 digits, not %1").arg(quoted);
        if (text.size() == 13 && EanCheckDigit(text) != text[12].unicode() - u'0')
            return QCoreApplication::translate("Barcode", "EAN-13 ends in the check digit %1, not %2").arg(EanCheckDigit(text)).arg(quoted);
        break;
    case TSymbology::ITF:
        if (!AllDigits(text) || text.size() % 2 != 0)
            return QCoreApplication::translate("Barcode", "ITF takes an even number of digits, not %1").arg(quoted);
        break;
    case TSymbology::Code39: {
        static const QString kAllowed = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
        if (!std::all_of(text.begin(), text.end(), [](QChar c) { return kAllowed.contains(c); }))
            return QCoreApplication::translate("Barcode", "Code 39 takes digits, capital letters, space and - . $ / + %, not %1").arg(quoted);
        break;
    }
    case TSymbology::Code128:
    case TSymbology::QR:
    case TSymbology::DataMatrix:
        break; // the encoder knows what these take
    }
    return {};
}

std::optional<TBarcodeShapes> EncodeBarcode(TSymbology symbology, const QString& text, bool humanReadable, QString* error)
{
    const auto fail = [&](const QString& why) -> std::optional<TBarcodeShapes> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (const QString problem = BarcodeProblem(symbology, text); !problem.isEmpty())
        return fail(problem);
    const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        return fail(QCoreApplication::translate("Barcode", "Out of memory encoding %1").arg(SymbologyTitle(symbology)));
    symbol->symbology = ZintSymbology(symbology, text);
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = humanReadable && !IsTwoDimensional(symbology) ? 1 : 0;
    // The quiet zones belong to the code: a reader needs them whatever the ticket has around.
    symbol->output_options |= BARCODE_QUIET_ZONES;
    if (symbology == TSymbology::DataMatrix)
        symbol->option_3 = DM_SQUARE; // the item's square
    // Any of QR's eight masks reads; trying all eight for the one that scores best is
    // twenty times the rest of the encoding, on every ticket of a run.
    if (symbology == TSymbology::QR)
        symbol->option_3 = (kQrMask + 1) << 8;
    const QByteArray utf8 = text.toUtf8();
    int result = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()));
    const std::optional<Margins> margins = MatrixMargins(symbology, symbol->show_hrt != 0);
    // Most codes are drawn from the modules the encoder chose, which costs a fraction of
    // its vector layout; one module is one unit, a row of bars one unit high.
    if (result < ZINT_ERROR && margins && symbol->rows > 0 && symbol->width > 0) {
        TBarcodeShapes shapes;
        shapes.size = QSizeF(symbol->width + 2 * margins->x, symbol->rows + 2 * margins->y);
        shapes.bars = MatrixRects(*symbol, *margins);
        shapes.barsBottom = shapes.size.height();
        return shapes;
    }
    if (result < ZINT_ERROR)
        result = ZBarcode_Buffer_Vector(symbol.get(), 0);
    // Below ZINT_ERROR are warnings: the code is made, and reads as the text.
    if (result >= ZINT_ERROR || !symbol->vector)
        return fail(QCoreApplication::translate("Barcode", "%1 cannot encode '%2': %3").arg(SymbologyTitle(symbology), text, QString::fromUtf8(symbol->errtxt)));

    TBarcodeShapes shapes;
    shapes.size = QSizeF(symbol->vector->width, symbol->vector->height);
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next)
        if (r->colour <= 0 || r->colour == 7) { // foreground or black; white is the paper
            shapes.bars << QRectF(r->x, r->y, r->width, r->height);
            shapes.barsBottom = std::max(shapes.barsBottom, double(r->y + r->height));
        }
    for (const zint_vector_hexagon* h = symbol->vector->hexagons; h; h = h->next)
        shapes.hexagons << TBarcodeShapes::Hexagon { QPointF(h->x, h->y), h->diameter, h->rotation };
    for (const zint_vector_circle* c = symbol->vector->circles; c; c = c->next)
        shapes.circles << TBarcodeShapes::Circle { QPointF(c->x, c->y), c->diameter, c->width, c->colour != 0 };
    for (const zint_vector_string* s = symbol->vector->strings; s; s = s->next)
        shapes.texts << TBarcodeShapes::Text { QPointF(s->x, s->y), s->fsize, s->halign,
                                               QString::fromUtf8(reinterpret_cast<const char*>(s->text), s->length) };
    return shapes;
}

TBarcodeAhead::~TBarcodeAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        idle_ = false;
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

std::list<TBarcodeAhead::Job>::iterator TBarcodeAhead::Find(TSymbology symbology, const QString& text, bool humanReadable)
{
    return std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& job) {
        return !job.orphan && job.symbology == symbology && job.humanReadable == humanReadable && job.text == text;
    });
}

void TBarcodeAhead::Ahead(TSymbology symbology, const QString& text, bool humanReadable)
{
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        if (stop_ || Find(symbology, text, humanReadable) != jobs_.end())
            return;
        // Those the run has not claimed yet come first: what it asks for next is among them.
        if (jobs_.size() >= kDepth)
            return;
        if (!worker_.joinable()) {
            try {
                worker_ = std::thread([this] { Work(); });
            } catch (const std::system_error&) {
                stop_ = true; // no thread to spare: every code is encoded as it is drawn
                return;
            }
        }
        jobs_.push_back(Job { symbology, text, humanReadable, Job::Queued, std::nullopt, QString() });
        ++queued_;
        // Waking a thread costs a system call: the worker takes a few codes a time.
        wake = idle_ && queued_ >= kBatch;
        if (wake)
            idle_ = false;
    }
    if (wake)
        changed_.notify_one();
}

size_t TBarcodeAhead::Pending()
{
    const std::lock_guard lock(mutex_);
    return jobs_.size();
}

void TBarcodeAhead::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!stop_ && queued_ == 0) {
            idle_ = true;
            changed_.wait(lock, [&] { return stop_ || !idle_; });
        }
        if (stop_)
            return;
        if (queued_ == 0)
            continue;
        --queued_;
        Job& job = *std::find_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return j.state == Job::Queued; });
        job.state = Job::Working; // only this thread erases it now
        const TSymbology symbology = job.symbology;
        const QString text = job.text;
        const bool humanReadable = job.humanReadable;
        lock.unlock();
        std::optional<TBarcodeShapes> shapes;
        QString error;
        bool done = true;
        try {
            shapes = EncodeBarcode(symbology, text, humanReadable, &error);
        } catch (...) {
            done = false; // the asker encodes it and meets the failure itself
        }
        lock.lock();
        if (job.orphan) {
            jobs_.erase(std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& j) { return &j == &job; }));
            continue;
        }
        job.shapes = std::move(shapes);
        job.error = std::move(error);
        job.state = done ? Job::Done : Job::Failed;
    }
}

std::optional<TBarcodeShapes> TBarcodeAhead::Encode(TSymbology symbology, const QString& text, bool humanReadable, QString* error)
{
    {
        std::unique_lock lock(mutex_);
        const auto job = Find(symbology, text, humanReadable);
        if (job != jobs_.end()) {
            // Being encoded still: encoded here too rather than waited for, which on a
            // busy machine can take a while; the worker drops its copy.
            if (job->state == Job::Working) {
                job->orphan = true;
                lock.unlock();
                return EncodeBarcode(symbology, text, humanReadable, error);
            }
            if (job->state == Job::Done) {
                std::optional<TBarcodeShapes> shapes;
                shapes.swap(job->shapes);
                if (!shapes && error)
                    *error = job->error;
                jobs_.erase(job);
                return shapes;
            }
            bool wake = false;
            if (job->state == Job::Queued) {
                // Fewer than a batch were queued, and the worker sleeps: it takes the rest.
                --queued_;
                wake = idle_ && queued_ > 0;
                if (wake)
                    idle_ = false;
            }
            jobs_.erase(job); // queued still, or failed
            lock.unlock();
            if (wake)
                changed_.notify_one();
        }
    }
    return EncodeBarcode(symbology, text, humanReadable, error);
}

void DrawBarcode(TCanvas& canvas, const TBarcodeShapes& shapes, TSymbology symbology, const QRectF& target, int rotation,
                 const QString& fontName)
{
    if (shapes.size.isEmpty() || target.isEmpty())
        return;
    double sx = target.width() / shapes.size.width();
    double sy = target.height() / shapes.size.height();
    if (IsTwoDimensional(symbology))
        sx = sy = std::min(sx, sy);
    const QPointF origin = target.topLeft();
    // The shapes go in the encoder's units through one transform (a quarter turn maps a
    // rectangle onto a rectangle): a PDF page then holds their small whole numbers once
    // each, which keeps it small and quick to write.
    QTransform turn;
    turn.translate(origin.x(), origin.y());
    turn.rotate(rotation);
    turn.scale(sx, sy);
    QPainter* painter = canvas.Painter();
    const QPen pen = painter->pen();
    const QBrush brush = painter->brush();
    const QTransform world = painter->worldTransform();
    painter->setWorldTransform(turn * world);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    painter->drawRects(shapes.bars.constData(), int(shapes.bars.size()));
    for (const TBarcodeShapes::Hexagon& hexagon : shapes.hexagons) {
        QPolygonF corners;
        const double radius = hexagon.diameter / 2;
        for (int corner = 0; corner < 6; ++corner) {
            const double angle = (hexagon.rotation + 60.0 * corner) * M_PI / 180.0;
            corners << hexagon.centre + QPointF(radius * std::sin(angle), -radius * std::cos(angle));
        }
        painter->drawPolygon(corners);
    }
    for (const TBarcodeShapes::Circle& circle : shapes.circles) {
        painter->setBrush(circle.background ? Qt::white : Qt::black);
        const double radius = circle.diameter / 2 + circle.width / 2;
        painter->drawEllipse(circle.centre, radius, radius);
        if (circle.width > 0) {
            painter->setBrush(Qt::white);
            const double inner = circle.diameter / 2 - circle.width / 2;
            painter->drawEllipse(circle.centre, inner, inner);
        }
    }
    painter->setWorldTransform(world);
    painter->setPen(pen);
    painter->setBrush(brush);
    if (shapes.texts.isEmpty())
        return;
    // The text under the bars at the size the encoder gave it, in the code's height
    // scale, through the canvas so it has its points on every device.
    QTransform turned;
    turned.translate(origin.x(), origin.y());
    turned.rotate(rotation);
    painter->setWorldTransform(turned * world);
    TFont& font = canvas.Font();
    font.SetName(fontName);
    font.SetStyle({});
    font.SetColor(Qt::black);
    const int ppi = std::max(1, font.PixelsPerInch());
    for (const TBarcodeShapes::Text& text : shapes.texts) {
        font.SetSize(std::max(1, int(std::lround(text.size * sy * 72.0 / ppi))));
        const int width = canvas.TextWidth(text.text);
        const double x = text.at.x() * sx;
        const int left = int(std::lround(text.align == 1 ? x : text.align == 2 ? x - width : x - width / 2.0));
        canvas.TextOut(left, int(std::lround(shapes.barsBottom * sy)), text.text);
    }
    painter->setWorldTransform(world);
}

} // namespace ticket
