#pragma once

#include <QList>
#include <QString>

#include <optional>

// What a ticket carries besides its two serial positions: more texts and barcodes of the
// serial, each placed from the ticket's top-left corner (the printable corner on a
// one-ticket sheet). The settings file keeps them as [Item3], [Item4], ...: the two
// positions are items 1 and 2.
namespace ticket {

enum class TItemKind { Text, Barcode };
enum class TAlign { Left, Center, Right };
enum class TSymbology { Code128, Code39, QR, DataMatrix, EAN13, ITF };

struct TTicketItem {
    TItemKind Kind = TItemKind::Text;
    double Left = 0; // inches from the ticket's top-left corner
    double Top = 0;
    // What it shows: {serial} is the serial as printed, {number} the padded number,
    // {check} the check character; anything else as typed.
    QString Text = QStringLiteral("{serial}");
    // Text only; unset: as the serial's font ([Font]).
    std::optional<QString> Font;
    std::optional<int> Size; // points
    std::optional<bool> Bold;
    std::optional<bool> Italic;
    std::optional<int> Color; // as the settings file stores colours
    TAlign Align = TAlign::Left; // the position is the text's left end, middle or right end
    int Rotation = 0;            // 0, 90, 180 or 270 degrees clockwise, about the position
    // Barcode only: the code fills Width x Height inches (quiet zones included) with its
    // top-left corner at the position; a 2-D code is a square of the smaller side.
    TSymbology Symbology = TSymbology::Code128;
    double Width = 1.5;
    double Height = 0.5;
    bool HumanReadable = false; // linear codes: the text under the bars

    friend bool operator==(const TTicketItem&, const TTicketItem&) = default;
};

// What an item may hold; the settings reader holds values within these.
inline constexpr double kMaxItemPosition = 100.0; // inches from the ticket's corner, either way
inline constexpr double kMinBarcodeSize = 0.05;   // inches, either side
inline constexpr double kMaxBarcodeSize = 50.0;

// The names the settings file uses ("text", "barcode"; "left", "center", "right";
// "code128", "code39", "qr", "datamatrix", "ean13", "itf"), read case-insensitively.
QString KindName(TItemKind kind);
std::optional<TItemKind> ParseKind(const QString& text);
QString AlignName(TAlign align);
std::optional<TAlign> ParseAlign(const QString& text);
QString SymbologyName(TSymbology symbology);
std::optional<TSymbology> ParseSymbology(const QString& text);
// As people write them: "Code 128", "QR Code", "EAN-13".
QString SymbologyTitle(TSymbology symbology);
bool IsTwoDimensional(TSymbology symbology);
// 0, 90, 180 or 270 for those values (and their equivalents such as -90 or 360).
std::optional<int> ParseRotation(int degrees);

// The item's text for one serial: {serial}, {number} and {check} replaced in one pass,
// so braces inside a replacement (a prefix "{number}") stay as they are.
// With a book, {book} and {inbook} are its number and the ticket's place in it; without
// one they stay as typed.
struct TBookPlace {
    qint64 book = 1;
    qint64 inBook = 1;
};
// The book of number n and its place there: book (n - first) div size + 1, place
// (n - first) mod size + 1; nothing without books (size 0).
std::optional<TBookPlace> BookPlace(qint64 number, int size, qint64 first);
// A part of a multi-part set: the copy of its sheet (from 1) and its name, for {copy} and
// {part}; without one they stay as typed.
struct TCopyPart {
    int copy = 1;
    QString name;
};
struct TDataRow;
// With a data row, {data:Column} is the row's field in that column; a column the file
// does not have, or a number without a row, stays as typed.
QString ItemText(const QString& templateText, const QString& serial, const QString& number, const QString& check,
                 const std::optional<TBookPlace>& book = std::nullopt, const std::optional<TCopyPart>& part = std::nullopt,
                 const TDataRow* data = nullptr);

// The item with its position, size and rotation held within the limits above.
TTicketItem Bounded(TTicketItem item);

} // namespace ticket
