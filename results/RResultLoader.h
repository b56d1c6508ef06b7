#pragma once
#include <QString>

class RMORVCompile;
class RResultHolder;

// Outcomes of LoadResultFile.
enum ResultLoadStatus : int {
    ResultLoaded = 0,
    ResultWrongDocument = 1,   // "Result file is wrong with this document."
    ResultUnexpectedError = 2, // "unexpected error": unreadable, damaged or cut short
    ResultBufferOverflow = 3,  // "Result data buffer overflow."
};

// Reads a run's result file back against the open document: the file's parameters, quantity
// counts, two-grid flag and cell attributes must be the document's. On success the holder's
// result is replaced by the file's; on failure the message is posted, the holder is left as it
// was and the status tells why. The selection lists are never touched.
// An incomplete result (".MVO3$") is the file of a run that is going on or did not end well,
// so it may end inside an output, even inside a line: it loads with every output before that
// point and a notice that the file ends early. A finished run's file that ends inside an
// output is damaged and gives ResultUnexpectedError.
int LoadResultFile(RResultHolder& holder, const RMORVCompile& document, const QString& path,
                   bool incomplete = false);
