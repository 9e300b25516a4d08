#pragma once

#include <memory>

class QPrinter;

namespace dialogs {

// A QPrinter for a print dialog, set up as the process's printer is: the queue (PDF output
// for the PDF printer and a test device), the paper with its margins, the orientation and
// the resolution. Made anew for each dialog, so nothing an earlier dialog chose is on it.
std::unique_ptr<QPrinter> DialogPrinter();

// Takes back what a dialog chose on it through the printer's setters: the printer (PDF
// output is the built-in PDF printer), the paper if that printer offers it, and the
// orientation. Its ranges, copies, order and the output file it suggests are never taken:
// they belong to the dialog's own print, and each run prints all of its document, once.
void TakeDialogChoices(const QPrinter& device);

} // namespace dialogs
