#pragma once

// The modal dialogs of a program with windows: the error box, the Yes/No question, the
// print dialog and Print Setup. The layers below call them through seams, so a headless
// command links none of them.
namespace dialogs {

// Installs them; once per process, before the first window shows (more calls do nothing).
void Install();

} // namespace dialogs
