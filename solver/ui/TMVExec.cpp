#include "solver/ui/TMVExec.h"

#include "widgets/RUserInterface.h"
#include "solver/RRazava.h"
#include "solver/RunEvent.h"
#include "solver/ui/TForm13.h"
#include "solver/ui/TMVWatch.h"

TMVExec::TMVExec(TForm13* monitor, RRazava* engine, RunBody body)
    : m_monitor(monitor), m_engine(engine), m_body(std::move(body))
{
    // The end handler runs in the user-interface thread once Execute has returned.
    connect(this, &QThread::finished, monitor, [this] { MORVTerminate(); }, Qt::QueuedConnection);
    MORVGlobalData* g = m_engine->globalData();
    // The refresh thread runs before the run starts.
    m_watch = new TMVWatch(monitor, g, g->runEvent);
    start();
}

TMVExec::~TMVExec()
{
    wait();
    delete m_watch;
}

void TMVExec::Execute()
{
    MORVGlobalData& g = *m_engine->globalData();
    try {
        m_body(*m_engine);
    } catch (...) {
        // Nothing may cross the thread boundary: the error becomes the run's status.
        g.runStatus.store(99);
        g.runErrorCount.fetch_add(1);
        QMetaObject::invokeMethod(m_monitor, [m = m_monitor] {
            showMessage(m, QStringLiteral("unexpected error"), QStringLiteral("MORV"));
        }, Qt::BlockingQueuedConnection);
    }
    // Asked to end before the last signal, the refresh thread refreshes once more and ends
    // instead of waiting again.
    m_watch->requestInterruption();
    g.runEvent->set();
    m_watch->wait();
    delete m_watch;
    m_watch = nullptr;
}

void TMVExec::MORVTerminate()
{
    wait();
    m_monitor->runThreadEnded();
    deleteLater();
}
