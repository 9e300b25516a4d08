#pragma once

#include "ticket/Template.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// Options > Template: the artwork PDF under the numbers, its page, whether it covers a
// sheet or each ticket, and whether it prints or only shows in the preview. A chosen file
// is checked at once, as strictly as a run checks it: its pages, the page's size and a
// small picture of it, or why it cannot be used.
class TTemplateDialog : public QDialog {
    Q_OBJECT
public:
    // `resolve` turns the file as typed into the path it names (a relative name is taken
    // from the settings file's folder).
    TTemplateDialog(const ticket::TTemplate& artwork, std::function<QString(const QString&)> resolve,
                    QWidget* parent = nullptr);
    // What the dialog shows; an empty file is no artwork.
    ticket::TTemplate Template() const;
    // Called with Template() whenever a choice changes, so the preview can follow.
    std::function<void(const ticket::TTemplate&)> OnChange;
    // What the check says about the chosen file and page (tests).
    QString CheckText() const;

private:
    void Browse();
    void Check();
    void Changed();

    std::function<QString(const QString&)> resolve_;
    QLineEdit* file_ = nullptr;
    QSpinBox* page_ = nullptr;
    QComboBox* scope_ = nullptr;
    QCheckBox* print_ = nullptr;
    QLabel* check_ = nullptr;
    QLabel* picture_ = nullptr;
    QString checked_; // the file and page the check is for
};
