#pragma once

class RDocumentLineReader;
class RTriangleMesh;

// Reads the interval chain of a version 1.6 document (a header line "n, x0" and n lines
// "divisions, x") into the figure: points at x0 and at every interval's right end on the x
// axis, the left end with region 1 and the right end with region 2, and one straight
// segment per interval carrying its division count. Entered after the keyword line. A
// second chain is built over the first. False for a negative n, a line with fewer than two
// fields or a field that is no number; the figure is then not to be used.
bool readV16Chain(RDocumentLineReader& reader, RTriangleMesh& mesh);
