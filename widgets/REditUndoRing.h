#pragma once
#include <QString>
#include <vector>

// One recorded change of an editor's text: the text that was removed, the text put in its
// place, and where (0-based position of the change in the editor's text).
struct SUndoStep {
    QString removed;
    QString inserted;
    int start = 0;
};

// The editor's undo ring of a fixed number of slots. With depth D it holds at most D - 1
// undoable steps: when full, a new step drops the oldest; a new step discards every step that
// could be redone. A ring of depth 0 or 1 records nothing.
class REditUndoRing {
public:
    explicit REditUndoRing(int depth);

    int depth() const { return m_depth; }
    bool canUndo() const { return m_depth > 1 && m_current != m_oldest; }
    bool canRedo() const { return m_depth > 1 && m_current != m_newest; }

    void record(const QString& removed, const QString& inserted, int start);
    // The step to take back (moves back one slot); null when there is none.
    const SUndoStep* undo();
    // The step to apply again (moves forward one slot); null when there is none.
    const SUndoStep* redo();
    // The slot a replace-all fills in two halves: the removed text before it starts, the rest
    // when it ends (then the ring advances).
    SUndoStep* currentSlot();
    void advance();
    void clear();

private:
    void incUndoCounter();
    void decUndoCounter();

    int m_depth;
    std::vector<SUndoStep> m_steps;
    int m_oldest = 0;
    int m_current = 0;
    int m_newest = 0;
};
