#pragma once

#include <QObject>
#include <functional>

class DisplayBinding;
class HelpCommands;
class Operator;
class QAction;
class QMainWindow;
class QMenu;
class RecentFiles;
class Station;
class StepTableEditor;

// The window's menu bar: File, Edit, Run and Help with the platform's standard
// keys. Each command is enabled exactly when the button or row command it
// stands for is: both follow the engine's enabled flags, so no file or edit
// command is offered while a test runs.
class WindowMenus : public QObject {
    Q_OBJECT

  public:
    // What only the window can do.
    struct Hooks {
        // File > Open Log...: asks for a data log and shows it.
        std::function<void()> openLog;
    };

    WindowMenus(QMainWindow& window, Station& station, StepTableEditor& editor,
                DisplayBinding& binding, Operator& op, bool rememberRecent, Hooks hooks);
    ~WindowMenus() override;

    // The command whose object name is `name` ("FileSave", "EditUndo", ...).
    QAction* Command(const QString& name) const;
    QMenu* RecentMenu() const { return m_recentMenu; }
    RecentFiles& Recent() const { return *m_recent; }
    HelpCommands& Help() const { return *m_help; }

    // Unsaved edits are saved or dropped as the operator answers; false when
    // they are to stay (and what was asked for does not go on).
    bool SettleEdits();
    // The file commands, as the menu and the window's buttons give them.
    void NewTest();
    void OpenTest();
    void OpenTest(const QString& path);
    bool SaveTest();
    bool SaveTestAs();

  private:
    QAction* AddCommand(QMenu* menu, const QString& name, const QString& text,
                        const QList<QKeySequence>& keys, std::function<void()> run);
    void BuildFileMenu(QMenu* menu);
    void BuildEditMenu(QMenu* menu);
    void BuildRunMenu(QMenu* menu);
    void BuildHelpMenu(QMenu* menu);
    void FillRecentMenu();
    void UpdateEditCommands();

    QMainWindow& m_window;
    Station& m_station;
    StepTableEditor& m_editor;
    DisplayBinding& m_binding;
    Operator& m_operator;
    Hooks m_hooks;
    RecentFiles* m_recent;
    HelpCommands* m_help;
    QMenu* m_recentMenu = nullptr;
    QList<QAction*> m_commands;
};
