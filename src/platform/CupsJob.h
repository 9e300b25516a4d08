#pragma once

#include <QString>

// Hands a finished PDF to a CUPS queue as one job, with its options set explicitly: one
// copy, every page, the given paper, in page order. Returns the job id the scheduler
// gave it; raises Exception("The print queue <queue> refused the job: <reason>") when
// the scheduler cannot be reached or does not accept the whole document (a job it had
// already created is then cancelled).
int SubmitPdfToQueue(const QString& queue, const QString& pdfPath, const QString& title, const QString& media);
