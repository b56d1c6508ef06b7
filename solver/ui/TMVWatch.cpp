#include "solver/ui/TMVWatch.h"

#include "solver/MORVGlobalData.h"
#include "solver/RFile.h"
#include "solver/RunEvent.h"
#include "solver/ui/TForm13.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {

QString e(double value, int width, int precision, bool lowerCase)
{
    return QString::fromStdString(formatE(value, width, precision, lowerCase));
}

} // namespace

TMVWatch::TMVWatch(TForm13* monitor, MORVGlobalData* data, RunEvent* event)
    : m_monitor(monitor), m_data(data), m_event(event)
{
    start();
}

TMVWatch::~TMVWatch()
{
    wait();
}

void TMVWatch::refresh()
{
    QMetaObject::invokeMethod(m_monitor, [this] { UpdateCaption(); }, Qt::BlockingQueuedConnection);
}

void TMVWatch::showExecuting()
{
    QMetaObject::invokeMethod(m_monitor, [m = m_monitor] { m->showExecuting(); },
                              Qt::BlockingQueuedConnection);
}

void TMVWatch::Execute()
{
    refresh();
    while (!isInterruptionRequested()) {
        showExecuting();
        // Manual reset: every signal since the last reset costs one refresh together.
        m_event->wait();
        m_event->reset();
        refresh();
    }
    refresh();
}

void TMVWatch::UpdateCaption()
{
    const MORVGlobalData& g = *m_data;
    const RunSnapshot s = g.snapshot();
    m_monitor->LabeledEdit1->setText(e(g.currentTime.load(std::memory_order_relaxed), 14, 7, true));
    m_monitor->LabeledEdit2->setText(QString::number(g.iterationCount.load(std::memory_order_relaxed)));
    // The snapshot's largest correction is 0 when there is no variable or none is positive.
    m_monitor->LabeledEdit3->setText(e(s.largestCorrection, 12, 5, true));
    if (g.stopRequest.load(std::memory_order_relaxed) != 0)
        m_monitor->StaticText1->setText(QStringLiteral("Execution stopped by user action"));
    else
        m_monitor->StaticText1->setText(QStringLiteral("%1 error(s), %2 warning(s) [%3]")
                                            .arg(g.runErrorCount.load(std::memory_order_relaxed))
                                            .arg(g.runWarningCount.load(std::memory_order_relaxed))
                                            .arg(g.runStatus.load(std::memory_order_relaxed)));
    if (m_monitor->watchExpanded() && s.sequence > 0) {
        QTableWidget* list = m_monitor->ListView1;
        const QList<int>& cells = m_monitor->variableCellAttributes();
        const int n = s.variableCount;
        const int rows = std::min(list->rowCount(), n);
        for (int i = 0; i < rows; ++i) {
            const bool onSecondGrid = i < cells.size() && cells[i] != 0;
            for (int column = 0; column < 3; ++column) {
                const int w = onSecondGrid ? column + 3 : column;
                if (w >= s.watchCount)
                    continue;
                const double value = s.watchValues[static_cast<std::size_t>(w) * n + i];
                if (QTableWidgetItem* item = list->item(i, column + 1))
                    item->setText(e(value, 12, 5, false));
            }
        }
    }
    m_monitor->update();
}
