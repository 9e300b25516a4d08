#include "preview/PreviewLayout.h"

#include <QWidget>

#include <algorithm>

namespace preview {

namespace {

// A widget's size is kept within what the toolkit accepts; the arithmetic reads the size
// back as it was stored, like the real panel does.
int PanelExtent(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, QWIDGETSIZE_MAX));
}

// The other side of the page in the paper's proportions, plus shadow and border.
int ProportionalSide(int side, int shadow, double along, double across)
{
    return PanelExtent(RoundHalfEven64((side - shadow - 2) * across / along) + shadow + 2);
}

} // namespace

TBoxClient BoxClient(const TBoxMetrics& box, int horzRange, int vertRange)
{
    const int e = box.ScrollBarExtent;
    TBoxClient client;
    client.VertBar = vertRange > box.ContentsHeight;
    client.HorzBar = horzRange > box.ContentsWidth - (client.VertBar ? e : 0);
    if (client.HorzBar && !client.VertBar)
        client.VertBar = vertRange > box.ContentsHeight - e;
    client.Width = std::max(0, box.ContentsWidth - (client.VertBar ? e : 0));
    client.Height = std::max(0, box.ContentsHeight - (client.HorzBar ? e : 0));
    return client;
}

TLayoutResult LayoutPage(const TLayoutInput& in)
{
    TLayoutResult out;
    out.HorzRange = in.HorzRange;
    out.VertRange = in.VertRange;
    out.ViewScale = in.ViewScale;
    const double wpx = in.PageWidthPx;
    const double hpx = in.PageHeightPx;
    // A page without area (or a printer without resolution) cannot be fitted: hide it.
    if (!(wpx > 0) || !(hpx > 0) || in.PrinterDpiX <= 0 || in.ScreenPpi <= 0)
        return out;
    out.PageShown = true;

    const int s = in.ShadowSize;
    const int m = ContentMargin;
    int left = m, top = m, width = 0, height = 0;

    switch (in.Mode) {
    case vmWholePage: {
        out.HorzRange = 0;
        out.VertRange = 0;
        out.ResetScroll = true;
        const TBoxClient client = BoxClient(in.Box, 0, 0);
        height = PanelExtent(qint64(client.Height) - 2 * m - s);
        width = ProportionalSide(height, s, hpx, wpx);
        if (client.Width - 2 * m < width) {
            width = PanelExtent(qint64(client.Width) - 2 * m);
            height = ProportionalSide(width, s, wpx, hpx);
        }
        left = (client.Width - width) / 2;
        top = (client.Height - height) / 2;
        break;
    }
    case vmPageWidth: {
        // Room for the vertical bar is always kept, so the width does not jump when the
        // bar appears.
        width = PanelExtent(qint64(in.Box.OuterWidth) - 20 - in.Box.ScrollBarExtent);
        height = ProportionalSide(width, s, wpx, hpx);
        out.VertRange = height + 2 * m;
        out.HorzRange = 0;
        break;
    }
    case vmCustom: {
        out.ResetScroll = true;
        width = PanelExtent(
            RoundHalfEven64(wpx * in.ViewScale * in.ScreenPpi / in.PrinterDpiX / 100) + 2);
        height = ProportionalSide(width, s, wpx, hpx);
        out.HorzRange = width + 2 * m;
        const int bw = BoxClient(in.Box, out.HorzRange, out.VertRange).Width;
        left = out.HorzRange < bw ? (bw - width) / 2 : m;
        out.VertRange = height + 2 * m;
        const int bh = BoxClient(in.Box, out.HorzRange, out.VertRange).Height;
        top = out.VertRange < bh ? (bh - height) / 2 : m;
        break;
    }
    }
    out.Panel = QRect(left, top, width, height);

    if (in.Mode != vmCustom) {
        // The whole panel against the paper width at screen resolution; 64-bit so that a
        // wide panel on a fine printer cannot overflow.
        const qint64 k = qint64(width) * 100 * in.PrinterDpiX;
        out.ViewScale = RoundHalfEven(double(k) / wpx / in.ScreenPpi);
    }
    return out;
}

TPageFrame PageFrame(int panelWidth, int panelHeight, int shadowSize, const TDeviceCaps& caps)
{
    TPageFrame frame;
    const int pw = panelWidth - shadowSize;
    const int ph = panelHeight - shadowSize;
    frame.Page = TRect{0, 0, pw, ph};
    TRect& q = frame.Printable;
    q = TRect{1, 1, pw - 1, ph - 1};
    if (caps.PhysicalWidth <= 0 || caps.PhysicalHeight <= 0) {
        // No paper to scale from: nothing counts as printable.
        q = TRect{1, 1, 1, 1};
        return frame;
    }
    // Truncating integer arithmetic, products in 64 bits.
    q.Left += int(qint64(caps.PhysicalOffsetX) * pw / caps.PhysicalWidth);
    q.Top += int(qint64(caps.PhysicalOffsetY) * ph / caps.PhysicalHeight);
    q.Right = int(qint64(caps.HorzRes) * pw / caps.PhysicalWidth) + q.Left;
    q.Bottom = int(qint64(caps.VertRes) * ph / caps.PhysicalHeight) + q.Top;
    return frame;
}

} // namespace preview
