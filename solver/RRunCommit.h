#pragma once
// Commits the files of a run that ended well: its restart file, result file and log become the
// document's current ones. Shared by the run monitor and the headless runner.

#include <string>

// `documentPath` is any file of the document (the extension is replaced). In the order ".MVR3",
// ".MVO3", ".MVL3": the "$" file is renamed over the committed name, so a failure leaves either
// the old or the new file, never neither; when the "$" file is absent, the committed file is
// deleted, so a run without a log leaves no log behind. Failures are ignored.
void commitRunFiles(const std::string& documentPath);
