#pragma once

#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>

class Operator;
class QAction;

class QWidget;

// The Help menu: the user guide in a viewer of its own, the keyboard
// shortcuts as the menus hold them, and the program's name and version.
class HelpCommands : public QObject {
    Q_OBJECT

  public:
    HelpCommands(QWidget& window, Operator& op, QObject* parent = nullptr);

    // The user guide: the installed copy's beside the shared files, else the
    // checkout's docs/user-guide.md; "" when neither is there.
    static QString UserGuidePath(const QString& executableFolder);

    // Opens the guide in a viewer (a message when there is none). The viewer
    // stays open beside the window; a second call raises it.
    void ShowUserGuide();
    QDialog* GuideViewer() const { return m_viewer; }
    // Lists `actions` with their keys, and the keys of the step table.
    void ShowShortcuts(const QList<QAction*>& actions);
    void ShowAbout();

    // The list ShowShortcuts() shows, one "keys: command" a line.
    static QString ShortcutText(const QList<QAction*>& actions);

  private:
    QWidget& m_window;
    Operator& m_operator;
    QPointer<QDialog> m_viewer;
};
