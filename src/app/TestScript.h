#pragma once

#include <QObject>
#include <QStringList>

class TfrmTallyforge;

// Drives the built program from end-to-end tests and benchmarks, one command per line
// of a script file:
//   await-painted       wait until the preview has painted its page
//   write-time FILE     write the wall-clock time in nanoseconds to FILE
//   signal FILE         create FILE
//   await FILE          wait until FILE exists (60 s at most, then the program quits)
//   set NAME TEXT       set an input's text
//   trigger NAME        choose a menu item or toolbar button by its name
// main() starts it only when the environment variable TALLYFORGE_TEST_SCRIPT names a
// script; otherwise nothing of it runs, and the program reads no environment at all.
class TestScript : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kVariable = "TALLYFORGE_TEST_SCRIPT";

    // Starts the script named by the variable, if any.
    static void StartIfRequested(TfrmTallyforge* window);

    TestScript(TfrmTallyforge* window, QStringList lines);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step();
    bool RunLine(const QString& line); // false: try the line again later

    TfrmTallyforge* window_;
    QStringList lines_;
    qsizetype next_ = 0;
    bool painted_ = false;
    int waitedMs_ = 0;
};
