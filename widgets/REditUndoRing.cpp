#include "widgets/REditUndoRing.h"

REditUndoRing::REditUndoRing(int depth)
    : m_depth(depth > 0 ? depth : 0)
    , m_steps(static_cast<size_t>(m_depth))
{
}

void REditUndoRing::record(const QString& removed, const QString& inserted, int start)
{
    if (m_depth <= 1)
        return;
    SUndoStep& step = m_steps[static_cast<size_t>(m_current)];
    step.removed = removed;
    step.inserted = inserted;
    step.start = start;
    advance();
}

SUndoStep* REditUndoRing::currentSlot()
{
    return m_depth > 1 ? &m_steps[static_cast<size_t>(m_current)] : nullptr;
}

void REditUndoRing::advance()
{
    if (m_depth <= 1)
        return;
    incUndoCounter();
    m_newest = m_current;
}

const SUndoStep* REditUndoRing::undo()
{
    if (!canUndo())
        return nullptr;
    decUndoCounter();
    return &m_steps[static_cast<size_t>(m_current)];
}

const SUndoStep* REditUndoRing::redo()
{
    if (!canRedo())
        return nullptr;
    const SUndoStep* step = &m_steps[static_cast<size_t>(m_current)];
    incUndoCounter();
    return step;
}

void REditUndoRing::clear()
{
    for (SUndoStep& step : m_steps)
        step = SUndoStep();
    m_oldest = m_current = m_newest = 0;
}

void REditUndoRing::incUndoCounter()
{
    m_current = (m_current + 1) % m_depth;
    if (m_current == m_oldest)
        m_oldest = (m_current + 1) % m_depth;
}

void REditUndoRing::decUndoCounter()
{
    m_current = m_current <= 0 ? m_depth - 1 : m_current - 1;
}
