#include "app/TMORVMain.h"

#include "widgets/RExtraMemo.h"
#include "widgets/RUserInterface.h"
#include "solver/RRazava.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char* const kSectionNames[5] = {"ASSUME", "SUB VARIABLE", "INITIAL", "EQUATION", "TERMINATE"};
const char* const kSectionLabels[5] = {"assume   ", "sub var. ", "initial  ", "equation ", "terminate"};

// The small picture at the left of the top bar.
QPixmap bannerPicture()
{
    QPixmap picture(121, 12);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    QLinearGradient gradient(0, 0, 121, 0);
    gradient.setColorAt(0, QColor(30, 60, 140));
    gradient.setColorAt(1, QColor(120, 170, 230));
    p.fillRect(QRect(0, 0, 121, 12), gradient);
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 121, 12), Qt::AlignCenter, QStringLiteral("MORV"));
    return picture;
}

} // namespace

TMORVMain::TMORVMain(QWidget* owner)
    : QMainWindow(owner)
{
    setMinimumSize(300, 200);
    for (int i = 0; i < 5; ++i)
        m_sectionLabels[i] = QString::fromLatin1(kSectionLabels[i]);

    buildCentralArea();
    buildMenus();
    m_sectionSelector->setCurrentIndex(RMORVDocument::Initial);

    m_doc.modified = false;
    m_settings.read(workArea());
    m_results.setResultBufferSize(m_settings.resultBufferSize);

    for (int i = 0; i < 5; ++i) {
        auto* memo = new RExtraMemo(m_cards->widget(i), false, m_settings.fontName,
            m_settings.fontSize, 1000, i);
        m_cards->widget(i)->layout()->addWidget(memo);
        m_editors[i] = memo;
        connect(memo, &RExtraMemo::userChanged, this, [this, memo] { EMChange(memo); });
    }

    m_userDocumentsPath = userInterface().documentsFolder();
    m_thermoDataPath = m_userDocumentsPath + QStringLiteral("/MORV/THERMDAT");
    m_transportDataPath = m_userDocumentsPath + QStringLiteral("/MORV/TRANDAT");
    setCaption();
    setAcceptDrops(true);
}

TMORVMain::~TMORVMain() = default;

void TMORVMain::buildCentralArea()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* topBar = new QWidget(central);
    topBar->setFixedHeight(29);
    auto* row = new QHBoxLayout(topBar);
    row->setContentsMargins(4, 2, 4, 2);
    auto* image = new QLabel(topBar);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(bannerPicture());
    row->addWidget(image);
    m_noteLabel = new QLabel(QStringLiteral("[Note] The script below is NOT effective."), topBar);
    m_noteLabel->setObjectName(QStringLiteral("Label1"));
    m_noteLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_noteLabel->hide();
    row->addWidget(m_noteLabel);
    row->addStretch();
    m_sectionSelector = new QComboBox(topBar);
    m_sectionSelector->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* name : kSectionNames)
        m_sectionSelector->addItem(QString::fromLatin1(name));
    m_sectionSelector->setMinimumWidth(89);
    row->addWidget(m_sectionSelector);
    column->addWidget(topBar);

    m_cards = new QStackedWidget(central);
    m_cards->setObjectName(QStringLiteral("CardPanel1"));
    for (int i = 0; i < 5; ++i) {
        auto* card = new QWidget(m_cards);
        card->setObjectName(QStringLiteral("Card%1").arg(i + 1));
        auto* fill = new QVBoxLayout(card);
        fill->setContentsMargins(0, 0, 0, 0);
        m_cards->addWidget(card);
    }
    column->addWidget(m_cards, 1);
    setCentralWidget(central);

    const int widths[3] = {100, 200, 50};
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i] = new QLabel(this);
        m_statusPanels[i]->setFixedWidth(widths[i]);
        statusBar()->addWidget(m_statusPanels[i]);
    }
    connect(m_sectionSelector, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Click(); });
    // A section picked from the list is there to be edited.
    connect(m_sectionSelector, &QComboBox::activated, this, [this] { activeEditor()->setFocus(); });
}

RExtraMemo* TMORVMain::activeEditor() const
{
    const int index = qBound(0, m_sectionSelector->currentIndex(), 4);
    return m_editors[index];
}

QString TMORVMain::statusText() const
{
    return m_statusPanels[0]->text();
}

QRect TMORVMain::workArea() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void TMORVMain::showAtStartup()
{
    const QRect area = workArea();
    Qt::WindowStates state = Qt::WindowNoState;
    switch (m_settings.startupWindow) {
    case 0:
        resize(RMainSettings::DefaultWidth, RMainSettings::DefaultHeight);
        break;
    case 1:
        resize(area.size());
        break;
    case 2:
        resize(m_settings.windowRect.size());
        // A window stored minimised opens as a normal one.
        if (m_settings.windowState == 2)
            state = Qt::WindowMaximized;
        break;
    default:
        resize(656, 425 + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
        break;
    }
    move(area.center() - QPoint(width() / 2, height() / 2));
    setWindowState(state);
    show();
}

void TMORVMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    activeEditor()->setFocus();
    m_chemistryDataFlag = QFileInfo(m_thermoDataPath).isFile() && !QFileInfo(m_thermoDataPath).isSymLink()
        && QFileInfo(m_transportDataPath).isFile() && !QFileInfo(m_transportDataPath).isSymLink();
    ComboBox1Click();
}

void TMORVMain::ComboBox1Click()
{
    const int index = m_sectionSelector->currentIndex();
    m_cards->setCurrentIndex(index);
    m_noteLabel->setVisible(m_doc.compiler->control->PARMT == 0 && index > 2);
}

void TMORVMain::EMChange(RExtraMemo* editor)
{
    if (!editor->modifiedMark())
        return;
    m_doc.compileState = 2;
    setModified(true);
}

void TMORVMain::setModified(bool modified)
{
    m_doc.modified = modified;
    m_statusPanels[0]->setText(modified ? QStringLiteral("Changed") : QString());
}

void TMORVMain::setCaption()
{
    setWindowTitle(m_doc.named ? m_doc.documentFileName : QStringLiteral("Untitled"));
}

void TMORVMain::closeEvent(QCloseEvent* e)
{
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
}

bool TMORVMain::FormCloseQuery()
{
    if (!m_doc.modified)
        return true;
    const auto answer = askQuestion(this, QStringLiteral("Save current document?"),
        QStringLiteral("MORV"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    Save1Click();
    return m_saveSucceeded;
}

void TMORVMain::FormClose()
{
    const QString held = m_doc.lock.GetOwnFileName();
    if (!held.isEmpty()) {
        const QFileInfo info(held);
        QFile::remove(info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".MVAT$"));
    }
    m_doc.lock.ReleaseOwnFile();

    m_settings.windowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    const QRect g = geometry();
    m_settings.windowRect = g;
    if (!m_settings.writeWindow())
        showMessage(this, QStringLiteral("Registry error"));
}

void TMORVMain::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
    else
        e->ignore();
}

void TMORVMain::dragMoveEvent(QDragMoveEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
    else
        e->ignore();
}

void TMORVMain::dropEvent(QDropEvent* e)
{
    QStringList paths;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    e->acceptProposedAction();
    WMDropFiles(paths);
}

void TMORVMain::applyPreferences()
{
    if (!m_settings.writePreferences())
        showMessage(this, QStringLiteral("Registry error"));
    m_results.setResultBufferSize(m_settings.resultBufferSize);
    for (RExtraMemo* memo : m_editors)
        memo->setScriptFont(m_settings.fontName, m_settings.fontSize);
}

