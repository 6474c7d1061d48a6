#include "HelpCommands.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "InstalledCopy.h"
#include "Operator.h"

namespace {
const QString kGuideName = QStringLiteral("user-guide.md");
const QString kProgramCaption = QStringLiteral("ZLD-3300 3-Phase Control Program R1.5");

// Keys the step table and the setup panel take themselves, not from a menu.
const char* const kEditorKeys[] = {
    "F2 or Enter: edit the current cell of the step table",
    "Double click on a step number: open the step in the setup panel",
    "Enter: OK in the step setup panel",
    "Esc: Cancel in the step setup panel",
};
}  // namespace

HelpCommands::HelpCommands(QWidget& window, Operator& op, QObject* parent)
    : QObject(parent), m_window(window), m_operator(op) {}

QString HelpCommands::UserGuidePath(const QString& executableFolder) {
    QStringList candidates;
    const QString data = InstalledDataFolder(executableFolder);
    if (!data.isEmpty()) {
        // Where the package puts the documentation, beside share/zld3300.
        candidates << QDir(data).filePath(QStringLiteral("../doc/zld3300/docs/") + kGuideName);
    }
    candidates
        << QDir(QStringLiteral(ZLD_SOURCE_DIR)).filePath(QStringLiteral("docs/") + kGuideName);
    for (const QString& candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(candidate);
        }
    }
    return QString();
}

void HelpCommands::ShowUserGuide() {
    if (m_viewer) {
        m_viewer->raise();
        m_viewer->activateWindow();
        return;
    }
    const QString path = UserGuidePath(QApplication::applicationDirPath());
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        m_operator.ShowMessage(
            QStringLiteral("The user guide (%1) was not found with the program.").arg(kGuideName));
        return;
    }
    auto* viewer = new QDialog(&m_window);
    viewer->setObjectName(QStringLiteral("UserGuideViewer"));
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setWindowTitle(QStringLiteral("User Guide"));
    auto* text = new QTextBrowser(viewer);
    text->setObjectName(QStringLiteral("UserGuideText"));
    text->setOpenExternalLinks(true);
    // Relative links and pictures resolve beside the guide.
    text->setSearchPaths({QFileInfo(path).absolutePath()});
    text->setMarkdown(QString::fromUtf8(file.readAll()));
    auto* layout = new QVBoxLayout(viewer);
    layout->addWidget(text);
    viewer->resize(QSize(900, 700).boundedTo(m_window.size()));
    m_viewer = viewer;
    viewer->show();
}

QString HelpCommands::ShortcutText(const QList<QAction*>& actions) {
    QStringList lines;
    for (const QAction* action : actions) {
        const QList<QKeySequence> keys = action->shortcuts();
        if (keys.isEmpty()) {
            continue;
        }
        QStringList keyTexts;
        for (const QKeySequence& key : keys) {
            keyTexts << key.toString(QKeySequence::NativeText);
        }
        lines << QStringLiteral("%1: %2").arg(keyTexts.join(QStringLiteral(" or ")),
                                              action->text().remove(QLatin1Char('&')));
    }
    for (const char* line : kEditorKeys) {
        lines << QString::fromLatin1(line);
    }
    return lines.join(QLatin1Char('\n'));
}

void HelpCommands::ShowShortcuts(const QList<QAction*>& actions) {
    m_operator.ShowMessage(ShortcutText(actions), QStringLiteral("Keyboard Shortcuts"));
}

void HelpCommands::ShowAbout() {
    m_operator.ShowMessage(
        QStringLiteral("%1\nVersion %2\n\nEdits and runs battery tests on the ZLD-3300 TRIO "
                       "3-phase electronic load and logs every measurement point.")
            .arg(kProgramCaption, QApplication::applicationVersion()),
        QStringLiteral("About"));
}
