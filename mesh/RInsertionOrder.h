#pragma once
#include <vector>

// The order in which the rough mesh inserts its boundary nodes. Inserted in walking order, the
// nodes of one side form a fan to every node of the sides before it, and the flips that undo
// those fans cost time quadratic in the number of nodes. A random order keeps the expected
// number of flips per node constant; drawn in rounds of doubling size, each round sorted along a
// space-filling curve, it also keeps every insertion's point location walk short.
//
// Returns a permutation of 0 .. n-1 for the points (xs[i], ys[i]). The same points always give
// the same order: the random draw is seeded with a constant and uses no library distribution.
std::vector<int> roughInsertionOrder(const std::vector<double>& xs, const std::vector<double>& ys);

// The position of the cell (x, y) along the Hilbert curve that fills a 2^16 x 2^16 grid.
unsigned long long hilbertKey(unsigned x, unsigned y);
