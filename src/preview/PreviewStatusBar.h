#pragma once

#include <QList>
#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <initializer_list>

class QSizeGrip;
class TCustomPreview;
class TCustomPreviewStatusBar;

enum TPanelKind : std::uint8_t { pnPage = 0, pnScale = 1 };

// A set of TPanelKind, one bit per kind: pnPage = 1, pnScale = 2.
class TPanels {
public:
    constexpr TPanels() = default;
    constexpr TPanels(std::initializer_list<TPanelKind> kinds)
    {
        for (TPanelKind kind : kinds)
            bits_ |= Bit(kind);
    }
    constexpr std::uint8_t Bits() const { return bits_; }
    constexpr bool Contains(TPanelKind kind) const { return (bits_ & Bit(kind)) != 0; }
    friend constexpr bool operator==(TPanels, TPanels) = default;

private:
    static constexpr std::uint8_t Bit(TPanelKind kind) { return std::uint8_t(1u << kind); }
    std::uint8_t bits_ = 0;
};

using TStatusBarNotifyEvent = std::function<void(TCustomPreviewStatusBar* Sender)>;

// A status line bound to a preview: the page shown, the scale with the view mode, and a
// free text, in sunken parts from the left, with a sizing grip at the right end. It
// follows every complete Update of its preview.
class TCustomPreviewStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TCustomPreviewStatusBar(QWidget* parent = nullptr);
    ~TCustomPreviewStatusBar() override;

    TCustomPreview* Preview() const { return preview_; }
    void SetPreview(TCustomPreview* preview);
    TPanels Panels() const { return panels_; }
    void SetPanels(TPanels panels);
    int PagePanelWidth() const { return pagePanelWidth_; }
    void SetPagePanelWidth(int width);
    int ScalePanelWidth() const { return scalePanelWidth_; }
    void SetScalePanelWidth(int width);
    QString UserText() const { return userText_; }
    void SetUserText(const QString& text);
    // A note in a part of its own at the right end (the user part gives it room); empty:
    // no such part.
    QString HintText() const { return hintText_; }
    void SetHintText(const QString& text);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool on);

    TStatusBarNotifyEvent OnUpdate;

    // Rebuilds the parts and their texts from the bound preview, then fires OnUpdate.
    virtual void Update();

    // What the bar shows: the right edge of each part, in pixels from the bar's left
    // edge, and the text of each part.
    const QList<int>& PartEdges() const { return edges_; }
    const QStringList& PartTexts() const { return texts_; }
    // The area of part i, inside the gaps between parts.
    QRect PartRect(int index) const;
    QSizeGrip* Grip() const { return grip_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateGrip();
    void PlaceGrip();
    void PreviewDestroyed();

    TCustomPreview* preview_ = nullptr;
    QMetaObject::Connection previewDestroyed_;
    TPanels panels_{pnPage, pnScale};
    int pagePanelWidth_ = 100;
    int scalePanelWidth_ = 100;
    QString userText_;
    QString hintText_;
    bool sizeGrip_ = true;
    QList<int> edges_;
    QStringList texts_;
    QSizeGrip* grip_ = nullptr;
};

// The status bar as placed on a window; it adds nothing.
class TPreviewStatusBar : public TCustomPreviewStatusBar {
    Q_OBJECT
public:
    using TCustomPreviewStatusBar::TCustomPreviewStatusBar;
};
