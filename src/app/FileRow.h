#pragma once

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <utility>

// A dialog's file choice: the name as typed, and a button beside it that browses for one.
template <typename Browse>
QHBoxLayout* FileRow(QWidget* dialog, QLineEdit* name, const QString& browseText, Browse&& browse)
{
    auto* button = new QPushButton(browseText, dialog);
    QObject::connect(button, &QPushButton::clicked, dialog, std::forward<Browse>(browse));
    auto* row = new QHBoxLayout;
    row->addWidget(name, 1);
    row->addWidget(button);
    return row;
}
