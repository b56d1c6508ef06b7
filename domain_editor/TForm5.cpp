#include "domain_editor/TForm5.h"

#include "document/RMORVDocument.h"
#include "document/RMessages.h"
#include "mesh/RDelaunay.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMetaObject>
#include <QMutex>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <exception>

TDelaunayMesh::TDelaunayMesh(RDelaunay& generator, QObject* parent)
    : QThread(parent)
    , m_generator(generator)
{
}

void TDelaunayMesh::run()
{
    bool done = false;
    bool failed = false;
    try {
        done = m_generator.generate();
        failed = !done && m_generator.failed;
    } catch (...) {
        failed = true;
    }
    m_failed.store(failed, std::memory_order_release);
    m_finished.store(done && !failed, std::memory_order_release);
}

// Hands the generator's reports to the window's controls by queued calls; the generator
// never waits for them.
class TForm5::Progress : public RMeshProgress {
public:
    explicit Progress(TForm5* window)
        : m_window(window)
    {
    }
    void setStage(const QString& text) override
    {
        QPointer<TForm5> w = m_window;
        QMetaObject::invokeMethod(m_window, [w, text] {
            if (w)
                w->Label1->setText(text);
        }, Qt::QueuedConnection);
    }
    void setPosition(int percent) override
    {
        m_position.store(percent, std::memory_order_relaxed);
        QPointer<TForm5> w = m_window;
        QMetaObject::invokeMethod(m_window, [w, percent] {
            if (w)
                w->ProgressBar1->setValue(percent);
        }, Qt::QueuedConnection);
    }
    int position() const override { return m_position.load(std::memory_order_relaxed); }

private:
    TForm5* m_window;
    std::atomic<int> m_position{0};
};

// Keeps the messages posted during the generation (from the worker thread) for later.
class TForm5::Collector : public RMessageSink {
public:
    void message(MessageKind, const QString& text) override
    {
        QMutexLocker lock(&m_mutex);
        m_texts << text;
    }
    QStringList texts() const
    {
        QMutexLocker lock(&m_mutex);
        return m_texts;
    }
    RMessageSink* previous = nullptr;

private:
    mutable QMutex m_mutex;
    QStringList m_texts;
};

TForm5::TForm5(RDelaunay& generator, const RMORVDocument& document, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_generator(generator)
    , m_document(document)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Generate mesh"));
    setFixedSize(450, 79);
    Label1 = new QLabel(QStringLiteral("Label1"), this);
    Label1->setGeometry(16, 8, 313, 17);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(16, 40, 313, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setGeometry(336, 32, 105, 33);
    Button1->setEnabled(false);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    m_progress = new Progress(this);
    m_collector = new Collector;
}

TForm5::~TForm5()
{
    if (m_thread) {
        // The window closes only after the thread has ended; this wait is for safety alone.
        m_generator.cancel.store(true, std::memory_order_release);
        m_thread->wait();
    }
    if (m_generator.progress == m_progress)
        m_generator.progress = nullptr;
    if (messageSink() == m_collector)
        setMessageSink(m_collector->previous);
    delete m_progress;
    delete m_collector;
}

void TForm5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    ProgressBar1->setValue(0);
    m_generator.meshType = m_document.meshType;
    m_generator.progress = m_progress;
    m_generator.cancel.store(false, std::memory_order_release);
    m_collector->previous = messageSink();
    setMessageSink(m_collector);
    m_thread = new TDelaunayMesh(m_generator, this);
    connect(m_thread, &QThread::finished, this, &TForm5::DelaunayMeshDone, Qt::QueuedConnection);
    m_thread->start(QThread::LowPriority);
    Button1->setEnabled(true);
}

void TForm5::Button1Click()
{
    m_generator.cancel.store(true, std::memory_order_release);
}

void TForm5::reject()
{
    // Escape acts like Cancel; the window closes when the thread has ended.
    if (m_done)
        QDialog::reject();
    else
        Button1Click();
}

void TForm5::closeEvent(QCloseEvent* event)
{
    if (!m_done)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TForm5::DelaunayMeshDone()
{
    m_thread->wait();
    m_failed = m_thread->failed();
    if (m_generator.cancel.load(std::memory_order_acquire) || m_failed || !m_thread->finishedMesh()) {
        RTriangleMesh& f = *m_generator.mesh;
        f.gridPoints.clear();
        f.triangles.clear();
    }
    m_generator.progress = nullptr;
    setMessageSink(m_collector->previous);
    m_done = true;
    done(QDialog::Accepted);
}

bool TForm5::cancelled() const
{
    return m_generator.cancel.load(std::memory_order_acquire);
}

bool TForm5::failed() const
{
    return m_failed || (m_thread && !m_thread->finishedMesh() && !cancelled());
}

QStringList TForm5::collectedMessages() const
{
    return m_collector->texts();
}
