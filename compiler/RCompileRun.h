#pragma once
// The compile of a whole document without any window or thread: every script section in turn
// into the compiler object's code sections, literal pool and local variable table, with the
// progress lines, the compiler's messages and the summary line in the log; the document's
// compile list; and, without errors, the solver data file beside the document and compile
// state 0. The compile window's thread and morv_headless only call it.

#include <QStringList>
#include <array>
#include <functional>

class RMORVDocument;
struct SChemistryDataBases;

// Prepares the chemistry of the selected species against the given data bases, then compiles
// the five script texts (index 0 ASSUME to 4 TERMINATE; the caller passes copies
// taken from the editors) against the document's symbols. The compiler object's messages
// write into log for the whole run. progress, when set, receives bar positions 0..100.
// The document folder is created when it is missing. An unexpected error ends the run early
// with "> Unexpected error : " and its text in the log, counted as an error. progress gets 100
// at the end in any case. Returns the error count of the run.
int runCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts, QStringList& log,
               const std::function<void(int)>& progress = {});
int runCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts, QStringList& log,
               const std::function<void(int)>& progress, const SChemistryDataBases& chemistry);
