#pragma once

// Shared set-up for the input-field tests: one application per test program and a
// shown, active window holding the fields so that focus and key events behave as on a
// desktop.

#include "widgets/ValueEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QWidget>

#include <memory>

namespace valueedit_testing {

inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "widgets_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A top-level window with two fields: `edit` under test and `next` to take the focus.
struct Window {
    std::unique_ptr<QWidget> top;
    TValueEdit* edit = nullptr;
    TValueEdit* next = nullptr;

    Window()
    {
        App();
        top = std::make_unique<QWidget>();
        top->resize(300, 120);
        edit = new TValueEdit(top.get());
        edit->setGeometry(2, 29, 120, 21);
        next = new TValueEdit(top.get());
        next->setGeometry(2, 70, 120, 21);
        top->show();
        top->activateWindow();
        (void)QTest::qWaitForWindowActive(top.get());
        next->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    // Focus into the field with the caret at a window-text position.
    void FocusAt(int position)
    {
        edit->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        edit->setCursorPosition(position);
    }

    void Type(const QString& keys)
    {
        QTest::keyClicks(edit, keys);
        QApplication::processEvents();
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(edit, key, modifiers);
        QApplication::processEvents();
    }

    // Moves the focus to the other field, running the field's focus-loss steps.
    void Leave()
    {
        next->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
};

inline void SetClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }

// Number tests run under three pairs of decimal and thousand separators.
struct LocaleRow {
    const char* name;
    char decimal;
    char thousand;
};

inline const LocaleRow kLocales[] = {
    {"DotAndComma", '.', ','}, {"CommaAndDot", ',', '.'}, {"CommaAndSpace", ',', ' '}};

inline std::string LocaleName(const ::testing::TestParamInfo<LocaleRow>& info)
{
    return info.param.name;
}

// A window with the field, under the row's separators.
class LocaleTest : public ::testing::TestWithParam<LocaleRow> {
protected:
    LocaleTest() : pinned_(QLatin1Char(GetParam().decimal), QLatin1Char(GetParam().thousand)) {}
    QString D() const { return QString(QLatin1Char(GetParam().decimal)); }
    QString T() const { return QString(QLatin1Char(GetParam().thousand)); }

    ScopedFormatSettings pinned_;
    Window w;
};

} // namespace valueedit_testing
