#pragma once

#include "ticket/TicketItems.h"

#include <QDialog>
#include <QList>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

// Options > Ticket Items: the texts and barcodes every ticket carries besides its two
// positions (items 3, 4, ...), with add, remove, move up and down and the selected item's
// fields. Every change is handed to OnChange at once, so the preview follows it.
class TTicketItemsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TTicketItemsDialog(const QList<ticket::TTicketItem>& items, QWidget* parent = nullptr);

    QList<ticket::TTicketItem> Items() const { return items_; }
    std::function<void(const QList<ticket::TTicketItem>&)> OnChange;

    QListWidget* List() const { return list_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* RemoveButton() const { return remove_; }
    QPushButton* UpButton() const { return up_; }
    QPushButton* DownButton() const { return down_; }
    QComboBox* KindBox() const { return kind_; }
    QComboBox* SymbologyBox() const { return symbology_; }
    QLineEdit* TextEdit() const { return text_; }

private:
    void Add();
    void Remove();
    void Move(int by);
    void Select(int row);
    void ShowKind(ticket::TItemKind kind);
    // The fields into the selected item; then the list's line and OnChange.
    void FieldsChanged();
    void ShowItems(int selected);
    void Changed();
    QString Line(int index) const;

    QList<ticket::TTicketItem> items_;
    bool showing_ = false; // fields being filled from an item, not edited
    QListWidget* list_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QWidget* fields_ = nullptr;
    QFormLayout* form_ = nullptr;
    QList<int> textRows_;
    QList<int> codeRows_;
    QComboBox* kind_ = nullptr;
    QDoubleSpinBox* left_ = nullptr;
    QDoubleSpinBox* top_ = nullptr;
    QLineEdit* text_ = nullptr;
    QComboBox* rotation_ = nullptr;
    QComboBox* align_ = nullptr;
    QLineEdit* font_ = nullptr;
    QSpinBox* size_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QCheckBox* ownColor_ = nullptr;
    QPushButton* color_ = nullptr;
    int colorValue_ = 0;
    QComboBox* symbology_ = nullptr;
    QDoubleSpinBox* width_ = nullptr;
    QDoubleSpinBox* height_ = nullptr;
    QCheckBox* humanReadable_ = nullptr;
};
