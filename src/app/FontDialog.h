#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QComboBox;
class QFontDialog;
class QLabel;

// The font dialog of the serial font: face, size and style from Qt's font chooser, plus
// the text colour, which Qt's own dialog does not offer but the serial font carries.
class TFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFontDialog(QWidget* parent = nullptr);

    // The chosen font; its name is the one set by SetCurrentFont unless the user picked
    // another face, even where that name is only an alias of the face that draws it.
    QFont CurrentFont() const;
    void SetCurrentFont(const QFont& font);
    QColor Color() const;
    // A colour outside the standard list is kept as an extra entry at its end.
    void SetColor(const QColor& color);

    // The embedded chooser and the colour list, for tests that drive the dialog.
    QFontDialog* Chooser() const { return chooser_; }
    QComboBox* ColorBox() const { return colorBox_; }

private:
    void ShowFaceHint();

    QFontDialog* chooser_;
    QComboBox* colorBox_;
    QLabel* faceHint_;
    // The name asked for and the face the chooser shows for it.
    QString requestedFamily_;
    QString shownFamily_;
};
