#pragma once
// The compile of a whole document without any window or thread: every script section in turn
// into the compiler object's code sections, literal pool and local variable table, with the
// progress lines, the compiler's messages and the summary line in the log.

#include <QStringList>
#include <array>
#include <functional>

class RMORVDocument;

// Compiles the five script texts (index 0 ASSUME to 4 TERMINATE; the caller passes copies
// taken from the editors) against the document's symbols. The compiler object's messages
// write into log for the whole run. progress, when set, receives bar positions 0..100.
// Returns the error count of the run.
int runCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts, QStringList& log,
               const std::function<void(int)>& progress = {});
