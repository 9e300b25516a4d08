#pragma once

#include "widgets/ValueText.h"

#include <QSize>

#include <array>

class QAction;
class QFont;
class QMenu;
class QWidget;
class THistoryEdit;

// The main window's design: what its controls are, where they stand and what they say.
// TfrmTallyforge builds itself from these tables and keeps only wiring and handlers.
namespace design {

inline constexpr QSize kWindowSize { 525, 420 }; // design size and minimum size
inline constexpr int kToolBarHeight = 28;
inline constexpr int kToolButtonWidth = 24;
inline constexpr int kInputPanelHeight = 77;
inline constexpr int kInputHeight = 21;
inline constexpr int kLabelMargin = 4;
inline constexpr int kStatusBarHeight = 20;
inline constexpr int kStatusPanelWidth = 100;
inline constexpr int kShadowSize = 8;
inline constexpr int kViewScale = 21;
inline constexpr unsigned kPreviewColor = 0x808080;       // clGray
inline constexpr unsigned kShadowColor = 0x404040;        // red, green and blue 64 each

enum class Handler { StartingSNChange, PageCountChange };

// The window's texts are translated in the window's own context, so the tables below
// and the window's tr() share one set of translations.
QString Text(const char* source);

struct ToolButtonDesign {
    const char* name;
    const char* hint; // untranslated: see Text()
    int image;
};

// In toolbar order.
inline constexpr std::array<ToolButtonDesign, 7> kToolButtons { {
    { "ToolButton1", QT_TRANSLATE_NOOP("TfrmTallyforge", "Print"), 0 },
    { "ToolButton2", QT_TRANSLATE_NOOP("TfrmTallyforge", "Print Setup"), 9 },
    { "butNextPage", QT_TRANSLATE_NOOP("TfrmTallyforge", "Next Page"), 2 },
    { "butPrevPage", QT_TRANSLATE_NOOP("TfrmTallyforge", "Previous Page"), 3 },
    { "butPageWidth", QT_TRANSLATE_NOOP("TfrmTallyforge", "Page Width"), 6 },
    { "butWholePage", QT_TRANSLATE_NOOP("TfrmTallyforge", "Whole Page"), 7 },
    { "butFont", QT_TRANSLATE_NOOP("TfrmTallyforge", "Font"), 8 },
} };

struct InputDesign {
    const char* name;
    const char* caption; // untranslated: see Text()
    TValueEditType editType;
    TEditAlign editAlign;
    int precision;
    const char* initialText;
    int left;
    int top;
    int width;
    int tabOrder;
    Handler onChange;
};

// In creation order; tabOrder gives the keyboard order.
inline constexpr std::array<InputDesign, 8> kInputs { {
    { "txtStartingSN", QT_TRANSLATE_NOOP("TfrmTallyforge", "Starting SN"), etNumeric, eaRight, 0, "0", 2, 29, 84, 0, Handler::StartingSNChange },
    { "txtPageCount", QT_TRANSLATE_NOOP("TfrmTallyforge", "Page Count"), etNumeric, eaRight, 0, "0", 86, 29, 84, 5, Handler::PageCountChange },
    { "txtHorizontalIndent", QT_TRANSLATE_NOOP("TfrmTallyforge", "Horizontal Indent"), etFloat, eaRight, 2, "0.00", 171, 29, 84, 3, Handler::StartingSNChange },
    { "txtVerticalIndent", QT_TRANSLATE_NOOP("TfrmTallyforge", "Vertical Indent"), etFloat, eaRight, 2, "0.00", 256, 29, 84, 4, Handler::StartingSNChange },
    { "txtPrefix", QT_TRANSLATE_NOOP("TfrmTallyforge", "Prefix"), etString, eaLeft, 0, "", 341, 29, 84, 1, Handler::StartingSNChange },
    { "txtSuffix", QT_TRANSLATE_NOOP("TfrmTallyforge", "Suffix"), etString, eaLeft, 0, "", 426, 29, 84, 2, Handler::StartingSNChange },
    { "txtHorizontalIndent2", QT_TRANSLATE_NOOP("TfrmTallyforge", "Horizontal Indent"), etFloat, eaRight, 2, "0.00", 171, 50, 85, 6, Handler::StartingSNChange },
    { "txtVerticalIndent2", QT_TRANSLATE_NOOP("TfrmTallyforge", "Vertical Indent"), etFloat, eaRight, 2, "0.00", 256, 50, 85, 7, Handler::StartingSNChange },
} };

// The window's own font and that of the captions: "MS Sans Serif", 8 points (11 pixels).
QFont WindowFont();

// An input as designed, on the panel, with its caption above it and the settings every
// input shares; its initial text is set, its change handler is not attached yet.
THistoryEdit* CreateInput(const InputDesign& input, QWidget* panel);

// A menu item with its caption (untranslated, with "&" accelerator; shown through
// Text()) and, when image >= 0, its picture.
QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption, int image = -1);

} // namespace design
