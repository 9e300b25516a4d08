#pragma once

#include "platform/Geometry.h"
#include "platform/Printer.h"

#include <QRect>

#include <cstdint>
#include <iterator>

// How the preview sizes the page.
enum TViewMode : std::uint8_t { vmWholePage = 0, vmPageWidth = 1, vmCustom = 2 };

// The preview's layout and painting arithmetic, kept apart from the widgets so that it can
// be checked with exact figures.
namespace preview {

// Preset zoom steps in percent; the first and last bound ViewScale.
inline constexpr int ViewScaleSteps[] = {10, 25, 50, 75, 100, 150, 200, 300, 500, 700, 1000};
inline constexpr int MinViewScale = ViewScaleSteps[0];
inline constexpr int MaxViewScale = ViewScaleSteps[std::size(ViewScaleSteps) - 1];
inline constexpr int MaxShadowSize = 100;
// Background kept around the page panel on every side of the scrolled content.
inline constexpr int ContentMargin = 8;

// The scroll box as the layout sees it.
struct TBoxMetrics {
    int ContentsWidth = 0;   // inside the border, before any scroll bar takes room
    int ContentsHeight = 0;
    int OuterWidth = 0;      // the whole box, border included
    int ScrollBarExtent = 0; // thickness of a scroll bar
};

// The visible client area for the given content ranges: a bar shows when its range
// exceeds the room left beside the other bar.
struct TBoxClient {
    int Width = 0;
    int Height = 0;
    bool HorzBar = false;
    bool VertBar = false;
};
TBoxClient BoxClient(const TBoxMetrics& box, int horzRange, int vertRange);

struct TLayoutInput {
    TViewMode Mode = vmWholePage;
    int ShadowSize = 8;
    int ViewScale = 0;        // used in vmCustom only
    TBoxMetrics Box;
    int HorzRange = 0;        // ranges before the layout
    int VertRange = 0;
    double PageWidthPx = 0;   // page size in printer pixels
    double PageHeightPx = 0;
    int ScreenPpi = 96;
    int PrinterDpiX = 0;
};

struct TLayoutResult {
    bool PageShown = false;   // false: a page without area, nothing was laid out
    QRect Panel;              // page panel in content coordinates
    int HorzRange = 0;
    int VertRange = 0;
    bool ResetScroll = false; // both scroll positions go back to 0
    int ViewScale = 0;        // computed in the fitted modes, kept in vmCustom
};

TLayoutResult LayoutPage(const TLayoutInput& in);

// Page and printable area inside a panel of the given size. Page = (0, 0, W - S, H - S);
// Printable is where the printer can print, scaled onto the page inside its border.
struct TPageFrame {
    TRect Page;
    TRect Printable;
};

TPageFrame PageFrame(int panelWidth, int panelHeight, int shadowSize, const TDeviceCaps& caps);

} // namespace preview
