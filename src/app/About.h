#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>

#include <functional>

class QFrame;
class QPushButton;
class TVersionInfo;

// A label that looks and acts like a link: blue, underlined, hand cursor, OnClick on a
// left click released over it.
class TLinkLabel : public QLabel {
public:
    explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

    std::function<void(QObject* sender)> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// Help > About: the program's name, its version from the version table, and links to
// the product's web page and to the support mail address.
class TAboutBox : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TAboutBox)
public:
    static inline const QString kWebSite = QStringLiteral("tallyforge.example.com");
    static inline const QString kProductPage = QStringLiteral("https://tallyforge.example.com/");
    static inline const QString kMailAddress = QStringLiteral("support@tallyforge.example.com");

    // Reads the version from the program's own table.
    explicit TAboutBox(QWidget* parent = nullptr);
    // Reads the version from the given table (a build without one passes an empty table).
    TAboutBox(QWidget* parent, const TVersionInfo& versionInfo);

    // Creates the box, shows it modally and destroys it; the result is not used.
    static void Execute(QWidget* parent);

    // The version line for a table: "Version <FileVersion>" from the US English table of
    // code page 1252, "No version information found" without a table, and the label's
    // current text when that entry is missing.
    static QString VersionText(const TVersionInfo& versionInfo, const QString& currentText);

    void FormCreate();
    void Label2Click(QObject* sender);
    void Label4Click(QObject* sender);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblComments = nullptr;
    QLabel* Label1 = nullptr;
    TLinkLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    TLinkLabel* Label4 = nullptr;
    QPushButton* OKButton = nullptr;

private:
    void CreateControls();
    void CenterOnScreen();

    const TVersionInfo& versionInfo_;
};
