#pragma once
#include <QThread>

struct MORVGlobalData;
class RunEvent;
class TForm13;

// The refresh thread of one run: each time the run sets its event, the monitor is refreshed
// once from the run's progress fields and its published snapshot. Every change of a control
// runs in the user-interface thread through a blocking call, so a refresh holds up only this
// thread, never the run. The run thread asks it to end (requestInterruption) and then sets the
// event once more.
class TMVWatch : public QThread {
public:
    // Starts the thread.
    TMVWatch(TForm13* monitor, MORVGlobalData* data, RunEvent* event);
    ~TMVWatch() override;

    // The refresh loop.
    void Execute();
    // One refresh of the monitor. User-interface thread only: it reads the atomic progress
    // fields and the published snapshot, never the run's arrays.
    void UpdateCaption();

protected:
    void run() override { Execute(); }

private:
    void refresh();
    void showExecuting();

    TForm13* m_monitor;
    MORVGlobalData* m_data;
    RunEvent* m_event;
};
