#pragma once
#include <QThread>
#include <functional>

class RRazava;
class TForm13;
class TMVWatch;

// The run thread of one run: it starts the refresh thread, runs the engine's whole run, ends
// the refresh thread and, in the user-interface thread, finishes the monitor's display
// (MORVTerminate). It releases itself once that is done.
class TMVExec : public QThread {
public:
    // The whole run executed on the engine (the engine's time loop in the program).
    using RunBody = std::function<void(RRazava&)>;

    // Creates the refresh thread and starts itself. The engine's run event must be set up.
    TMVExec(TForm13* monitor, RRazava* engine, RunBody body);
    ~TMVExec() override;

    // The run.
    void Execute();
    // The end handler, in the user-interface thread after Execute has returned.
    void MORVTerminate();

protected:
    void run() override { Execute(); }

private:
    TForm13* m_monitor;
    RRazava* m_engine;
    RunBody m_body;
    TMVWatch* m_watch = nullptr;
};
