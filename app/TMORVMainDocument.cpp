// The document commands of the main window: the start-up document, New, Open, Save,
// Save As and a dropped file, with the save guard and the hold on the open document file.
#include "app/TMORVMain.h"

#include "widgets/RExtraMemo.h"
#include "widgets/RUserInterface.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kDefaultDocument = QStringLiteral("default.mv3");

// The extension of a file name with its dot, upper-cased ("" when there is none).
QString upperExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot).toUpper();
}

QString alreadyOpened(const QString& path)
{
    return QLatin1Char('\'') + path + QStringLiteral("' has been already opened.");
}

QString cantRead(int code)
{
    return QStringLiteral("can't read (code:") + QString::number(code) + QLatin1Char(')');
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath() + QLatin1Char('/');
}

} // namespace

QString TMORVMain::documentPath() const
{
    return m_doc.documentFolder + m_doc.documentFileName;
}

void TMORVMain::editorsFromDocument()
{
    for (int i = 0; i < 5; ++i)
        m_editors[i]->setText(m_doc.scripts[i].join(QLatin1Char('\n')));
}

void TMORVMain::editorsToDocument()
{
    for (int i = 0; i < 5; ++i) {
        const QString text = m_editors[i]->text();
        m_doc.scripts[i] = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
}

int TMORVMain::loadDocument(const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int result = m_doc.loadfile(path);
    QApplication::restoreOverrideCursor();
    if (result != 0)
        return result;
    editorsFromDocument();
    m_doc.compileState = 2;
    // The note depends on the document's time parameter.
    if (m_shownOnce)
        ComboBox1Click();
    return 0;
}

bool TMORVMain::startup(const QStringList& arguments)
{
    // The user's data folder is made once, with any missing parents.
    if (!m_userDocumentsPath.isEmpty())
        QDir().mkpath(m_userDocumentsPath + QStringLiteral("/MORV"));

    if (!arguments.isEmpty()) {
        const QString path = QFileInfo(arguments.first()).absoluteFilePath();
        const QString name = QFileInfo(path).fileName();
        if (upperExtension(name) != QStringLiteral(".MV3")) {
            showMessage(this, QStringLiteral("This is not a MORV3 document file."));
            return false;
        }
        if (!RExcrusiveAccess::CheckFile(path)) {
            showMessage(this, alreadyOpened(arguments.first()));
            return false;
        }
        const int result = loadDocument(path);
        if (result != 0) {
            showMessage(this, cantRead(result));
            return false;
        }
        m_doc.documentFolder = folderOf(path);
        m_doc.documentFileName = name;
        m_doc.named = true;
        m_doc.lock.CatchFile(path);
    } else {
        QString folder;
        QString name = RMORVDocument::EmptyDocumentName;
        if (!m_userDocumentsPath.isEmpty()) {
            folder = m_userDocumentsPath + QStringLiteral("/MORV/");
            if (QFileInfo::exists(folder + kDefaultDocument))
                name = kDefaultDocument;
        }
        m_doc.named = false;
        int result = loadDocument(folder + name);
        if (result != 0) {
            // A damaged default document must not keep the program from starting.
            showMessage(this, cantRead(result));
            name = RMORVDocument::EmptyDocumentName;
            result = loadDocument(folder + name);
        }
        m_doc.documentFolder = folder;
        m_doc.documentFileName = name;
    }
    setCaption();
    setModified(false);
    return true;
}

bool TMORVMain::saveGuard()
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

void TMORVMain::giveUpHeldFile()
{
    const QString held = m_doc.lock.GetOwnFileName();
    if (held.isEmpty())
        return;
    const QFileInfo info(held);
    QFile::remove(info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".MVAT$"));
    m_doc.lock.ReleaseOwnFile();
}

void TMORVMain::takeIdentity(const QString& path)
{
    giveUpHeldFile();
    m_doc.lock.CatchFile(path);
    m_doc.documentFolder = folderOf(path);
    m_doc.documentFileName = QFileInfo(path).fileName();
    m_doc.named = true;
    setCaption();
    setModified(false);
    m_doc.compileState = 2;
}

void TMORVMain::New1Click()
{
    if (!saveGuard())
        return;
    QString folder;
    QString name = RMORVDocument::EmptyDocumentName;
    if (!m_userDocumentsPath.isEmpty()) {
        folder = m_userDocumentsPath + QStringLiteral("/MORV/");
        if (QFileInfo::exists(folder + kDefaultDocument))
            name = kDefaultDocument;
    }
    // The held document is given up only once the new one is there.
    const int result = loadDocument(folder + name);
    if (result != 0) {
        showMessage(this, cantRead(result));
        return;
    }
    giveUpHeldFile();
    m_doc.documentFolder = folder;
    m_doc.documentFileName = name;
    m_doc.named = false;
    setCaption();
    setModified(false);
    m_doc.compileState = 2;
}

void TMORVMain::Open1Click()
{
    if (!saveGuard())
        return;
    const QString path = userInterface().openFileName(this, QStringLiteral("Open"),
        m_doc.documentFolder, QStringLiteral("MORV document file (*.MV3 *.MVS *.mv3 *.mvs)"));
    if (path.isEmpty())
        return;
    if (!RExcrusiveAccess::CheckFile(path)) {
        showMessage(this, alreadyOpened(path));
        return;
    }
    const int result = loadDocument(path);
    if (result != 0) {
        showMessage(this, cantRead(result));
        return;
    }
    takeIdentity(path);
}

void TMORVMain::WMDropFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString path = paths.first();
    if (!saveGuard())
        return;
    if (upperExtension(QFileInfo(path).fileName()) != QStringLiteral(".MV3")) {
        showMessage(this, QStringLiteral("This is not a MORV document file."));
        return;
    }
    if (!RExcrusiveAccess::CheckFile(path)) {
        showMessage(this, alreadyOpened(path));
        return;
    }
    const int result = loadDocument(path);
    if (result != 0) {
        showMessage(this, cantRead(result));
        return;
    }
    takeIdentity(path);
}

void TMORVMain::Save1Click()
{
    if (!m_doc.named || upperExtension(m_doc.documentFileName) != QStringLiteral(".MV3")) {
        SaveAs1Click();
        return;
    }
    m_saveSucceeded = false;
    editorsToDocument();
    const QString path = documentPath();
    // The writer replaces the file, which the hold would refuse; the hold is taken back
    // whatever the outcome, since the file is still the open document.
    m_doc.lock.ReleaseOwnFile();
    const int result = m_doc.savefile(path);
    m_doc.lock.CatchFile(path);
    if (result != 0) {
        showMessage(this, QStringLiteral("error"));
        return;
    }
    setModified(false);
    m_saveSucceeded = true;
}

void TMORVMain::SaveAs1Click()
{
    m_saveSucceeded = false;
    QString proposed = m_lastSaveAsPath;
    if (m_doc.named)
        proposed = m_doc.documentFolder + QFileInfo(m_doc.documentFileName).completeBaseName()
            + QStringLiteral(".MV3");
    const QString path = userInterface().saveFileName(this, QStringLiteral("Save As"), proposed,
        QStringLiteral("MORV3 document file (*.MV3 *.mv3)"), QStringLiteral("MV3"));
    if (path.isEmpty())
        return;
    m_lastSaveAsPath = path;
    if (!RExcrusiveAccess::CheckFile(path)) {
        showMessage(this, alreadyOpened(path));
        return;
    }
    editorsToDocument();
    if (m_doc.savefile(path) != 0) {
        showMessage(this, QStringLiteral("can't save"));
        return;
    }
    takeIdentity(path);
    m_saveSucceeded = true;
}

void TMORVMain::Exit1Click()
{
    close();
}
