#pragma once

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <utility>

// A dialog's file choice as a row of its form: the label, the name as typed, and a button
// beside it that browses for one. A row of several widgets takes no buddy by itself: the
// label is given the name's, or it shows its "&" instead of underlining the key.
template <typename Browse>
void AddFileRow(QFormLayout* form, QWidget* dialog, const QString& labelText, QLineEdit* name, const QString& browseText, Browse&& browse)
{
    auto* button = new QPushButton(browseText, dialog);
    QObject::connect(button, &QPushButton::clicked, dialog, std::forward<Browse>(browse));
    QWidget::setTabOrder(name, button); // Tab goes from the name to its button, as they read
    auto* row = new QHBoxLayout;
    row->addWidget(name, 1);
    row->addWidget(button);
    auto* label = new QLabel(labelText, dialog);
    label->setBuddy(name);
    form->addRow(label, row);
}
