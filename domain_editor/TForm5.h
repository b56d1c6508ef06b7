#pragma once
#include <QDialog>
#include <QThread>

#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;
class RDelaunay;
class RMORVDocument;
class TForm5;

// The worker thread of one generation: runs the generator at lower priority and ends; the
// window's handler then runs in the user-interface thread.
class TDelaunayMesh : public QThread {
    Q_OBJECT
public:
    explicit TDelaunayMesh(RDelaunay& generator, QObject* parent = nullptr);
    // True when the generator finished a mesh; false after a cancel or a failure.
    bool finishedMesh() const { return m_finished.load(std::memory_order_acquire); }
    bool failed() const { return m_failed.load(std::memory_order_acquire); }

protected:
    void run() override;

private:
    RDelaunay& m_generator;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_failed{false};
};

// "Generate mesh": shows the generator's stage and percentage while the worker runs, offers
// Cancel (also by Escape) and closes itself when the worker has ended. Messages the generator
// posts meanwhile are collected and shown by the caller after the window has closed.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(RDelaunay& generator, const RMORVDocument& document, QWidget* owner);
    ~TForm5() override;

    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* Button1;

    // The outcome, valid after the window has closed.
    bool cancelled() const;
    bool failed() const;
    QStringList collectedMessages() const;

    void Button1Click();
    void DelaunayMeshDone();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    class Progress;
    class Collector;
    RDelaunay& m_generator;
    const RMORVDocument& m_document;
    TDelaunayMesh* m_thread = nullptr;
    Progress* m_progress = nullptr;
    Collector* m_collector = nullptr;
    bool m_started = false;
    bool m_done = false;
    bool m_failed = false;
};
