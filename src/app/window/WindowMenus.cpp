#include "WindowMenus.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "DisplayBinding.h"
#include "HelpCommands.h"
#include "RecentFiles.h"
#include "Station.h"
#include "StepEditHistory.h"
#include "StepTableEditor.h"

namespace {
// The platform's keys for a standard command, or `fallback` where the
// platform has none (Save As on some desktops).
QList<QKeySequence> Keys(QKeySequence::StandardKey standard, const QKeySequence& fallback = {}) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    if (keys.isEmpty() && !fallback.isEmpty()) {
        keys << fallback;
    }
    return keys;
}

QList<QKeySequence> RedoKeys() {
    QList<QKeySequence> keys = Keys(QKeySequence::Redo);
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        if (!keys.contains(key)) {
            keys << key;
        }
    }
    return keys;
}
}  // namespace

WindowMenus::WindowMenus(QMainWindow& window, Station& station, StepTableEditor& editor,
                         DisplayBinding& binding, Operator& op, bool rememberRecent, Hooks hooks)
    : QObject(&window),
      m_window(window),
      m_station(station),
      m_editor(editor),
      m_binding(binding),
      m_operator(op),
      m_hooks(std::move(hooks)),
      m_recent(new RecentFiles(rememberRecent, this)),
      m_help(new HelpCommands(window, op, this)) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("MainMenuBar"));
    BuildFileMenu(bar->addMenu(QStringLiteral("&File")));
    BuildEditMenu(bar->addMenu(QStringLiteral("&Edit")));
    BuildRunMenu(bar->addMenu(QStringLiteral("&Run")));
    BuildHelpMenu(bar->addMenu(QStringLiteral("&Help")));

    // Opened and saved files join the recent list.
    connect(&station.Test(), &TestDocument::pathChanged, m_recent, &RecentFiles::Add);
    connect(&station, &Station::testFileOpened, m_recent, &RecentFiles::Add);
    connect(&station, &Station::startedUp, this,
            [this] { m_recent->Add(m_station.Test().Path()); });
    connect(m_recent, &RecentFiles::changed, this, &WindowMenus::FillRecentMenu);
    connect(&editor, &StepTableEditor::commandsChanged, this, &WindowMenus::UpdateEditCommands);
    connect(&editor.History(), &StepEditHistory::changed, this, &WindowMenus::UpdateEditCommands);
    FillRecentMenu();
    UpdateEditCommands();
}

WindowMenus::~WindowMenus() = default;

QAction* WindowMenus::AddCommand(QMenu* menu, const QString& name, const QString& text,
                                 const QList<QKeySequence>& keys, std::function<void()> run) {
    auto* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, std::move(run));
    m_commands << action;
    return action;
}

QAction* WindowMenus::Command(const QString& name) const {
    for (QAction* action : m_commands) {
        if (action->objectName() == name) {
            return action;
        }
    }
    return nullptr;
}

void WindowMenus::BuildFileMenu(QMenu* menu) {
    menu->setObjectName(QStringLiteral("FileMenu"));
    QAction* newTest = AddCommand(menu, QStringLiteral("FileNew"), QStringLiteral("&New"),
                                  Keys(QKeySequence::New), [this] { NewTest(); });
    QAction* open = AddCommand(menu, QStringLiteral("FileOpen"), QStringLiteral("&Open..."),
                               Keys(QKeySequence::Open), [this] { OpenTest(); });
    m_recentMenu = menu->addMenu(QStringLiteral("Open &Recent"));
    m_recentMenu->setObjectName(QStringLiteral("FileOpenRecent"));
    menu->addSeparator();
    QAction* save = AddCommand(menu, QStringLiteral("FileSave"), QStringLiteral("&Save"),
                               Keys(QKeySequence::Save), [this] { SaveTest(); });
    QAction* saveAs = AddCommand(menu, QStringLiteral("FileSaveAs"), QStringLiteral("Save &As..."),
                                 Keys(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                                 [this] { SaveTestAs(); });
    menu->addSeparator();
    QAction* openLog =
        AddCommand(menu, QStringLiteral("FileOpenLog"), QStringLiteral("Open &Log..."), {}, [this] {
            if (m_hooks.openLog) {
                m_hooks.openLog();
            }
        });
    openLog->setEnabled(static_cast<bool>(m_hooks.openLog));
    menu->addSeparator();
    AddCommand(menu, QStringLiteral("FileQuit"), QStringLiteral("&Quit"),
               Keys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q), [this] { m_window.close(); });

    m_binding.BindEnabled(Displays::OpenButton, newTest);
    m_binding.BindEnabled(Displays::OpenButton, open);
    m_binding.BindEnabled(Displays::OpenButton, m_recentMenu->menuAction());
    m_binding.BindEnabled(Displays::SaveButton, save);
    m_binding.BindEnabled(Displays::SaveButton, saveAs);
}

void WindowMenus::BuildEditMenu(QMenu* menu) {
    menu->setObjectName(QStringLiteral("EditMenu"));
    StepTableEditor* editor = &m_editor;
    AddCommand(menu, QStringLiteral("EditUndo"), QStringLiteral("&Undo"), Keys(QKeySequence::Undo),
               [editor] { editor->Undo(); });
    AddCommand(menu, QStringLiteral("EditRedo"), QStringLiteral("&Redo"), RedoKeys(),
               [editor] { editor->Redo(); });
    menu->addSeparator();
    // The step table takes these keys itself (a text box keeps its own Delete
    // and Ctrl+C); the menu only names them.
    const auto gridKeys = [](QAction* action) { action->setShortcutContext(Qt::WidgetShortcut); };
    gridKeys(AddCommand(menu, QStringLiteral("EditCopySteps"), QStringLiteral("&Copy Steps"),
                        {QKeySequence(Qt::CTRL | Qt::Key_C)}, [editor] { editor->CopySteps(); }));
    gridKeys(AddCommand(menu, QStringLiteral("EditPasteSteps"), QStringLiteral("&Paste Steps"),
                        {QKeySequence(Qt::CTRL | Qt::Key_V)}, [editor] { editor->PasteSteps(); }));
    menu->addSeparator();
    gridKeys(AddCommand(menu, QStringLiteral("EditInsertStep"), QStringLiteral("&Insert Step"),
                        {QKeySequence(Qt::Key_Insert)}, [editor] { editor->InsertStep(); }));
    gridKeys(AddCommand(menu, QStringLiteral("EditDeleteStep"), QStringLiteral("&Delete Step"),
                        {QKeySequence(Qt::Key_Delete)}, [editor] { editor->DeleteStep(); }));
    gridKeys(AddCommand(menu, QStringLiteral("EditMoveUp"), QStringLiteral("Move &Up"),
                        {QKeySequence(Qt::CTRL | Qt::Key_Up)}, [editor] { editor->MoveStepUp(); }));
    gridKeys(AddCommand(menu, QStringLiteral("EditMoveDown"), QStringLiteral("Move Do&wn"),
                        {QKeySequence(Qt::CTRL | Qt::Key_Down)},
                        [editor] { editor->MoveStepDown(); }));
    // The row buttons follow the run's flags through the editor; so do these.
    connect(&m_station.Views(), &Displays::enabledChanged, this, &WindowMenus::UpdateEditCommands);
}

void WindowMenus::UpdateEditCommands() {
    const Displays& flags = m_station.Views();
    const bool rows = m_editor.RowCommandsAllowed();
    const auto set = [this](const char* name, bool enabled) {
        Command(QString::fromLatin1(name))->setEnabled(enabled);
    };
    set("EditUndo", rows && m_editor.History().CanUndo());
    set("EditRedo", rows && m_editor.History().CanRedo());
    set("EditPasteSteps", m_editor.CanPaste());
    set("EditInsertStep", rows && flags.IsEnabled(Displays::InsertStepButton));
    set("EditDeleteStep", rows && flags.IsEnabled(Displays::DeleteStepButton));
    set("EditMoveUp", rows && flags.IsEnabled(Displays::MoveUpButton));
    set("EditMoveDown", rows && flags.IsEnabled(Displays::MoveDownButton));
}

void WindowMenus::BuildRunMenu(QMenu* menu) {
    menu->setObjectName(QStringLiteral("RunMenu"));
    Station* station = &m_station;
    const struct {
        const char* name;
        const char* text;
        Displays::Control control;
        void (Station::*run)();
    } commands[] = {
        {"RunCheck", "&Check", Displays::CheckButton, &Station::ShowCheck},
        {"RunStart", "&Start Test", Displays::StartButton, &Station::Start},
        {"RunPause", "&Pause Test", Displays::PauseButton, &Station::Pause},
        {"RunStop", "S&top Test", Displays::StopButton, &Station::Stop},
    };
    for (const auto& command : commands) {
        const auto run = command.run;
        QAction* action =
            AddCommand(menu, QString::fromLatin1(command.name), QString::fromLatin1(command.text),
                       {}, [station, run] { (station->*run)(); });
        m_binding.BindEnabled(command.control, action);
    }
}

void WindowMenus::BuildHelpMenu(QMenu* menu) {
    menu->setObjectName(QStringLiteral("HelpMenu"));
    AddCommand(menu, QStringLiteral("HelpUserGuide"), QStringLiteral("&User Guide"),
               Keys(QKeySequence::HelpContents, Qt::Key_F1), [this] { m_help->ShowUserGuide(); });
    AddCommand(menu, QStringLiteral("HelpShortcuts"), QStringLiteral("&Keyboard Shortcuts"), {},
               [this] { m_help->ShowShortcuts(m_commands); });
    AddCommand(menu, QStringLiteral("HelpAbout"), QStringLiteral("&About"), {},
               [this] { m_help->ShowAbout(); });
}

void WindowMenus::FillRecentMenu() {
    m_recentMenu->clear();
    for (const QString& path : m_recent->Paths()) {
        QAction* action = m_recentMenu->addAction(QFileInfo(path).fileName());
        action->setToolTip(path);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenTest(path); });
    }
    m_recentMenu->menuAction()->setVisible(true);
    if (m_recent->Paths().isEmpty()) {
        m_recentMenu->addAction(QStringLiteral("(none)"))->setEnabled(false);
    }
}

bool WindowMenus::SettleEdits() {
    m_editor.CommitOpenEdits();
    if (!m_station.Test().IsModified()) {
        return true;
    }
    const QString path = m_station.Test().Path();
    const QString question = path.isEmpty() ? QStringLiteral("Save changes to the new test?")
                                            : QStringLiteral("Save changes to %1?").arg(path);
    switch (m_operator.AskChoice(
        question, {},
        {QStringLiteral("Save"), QStringLiteral("Discard"), QStringLiteral("Cancel")})) {
        case 0:
            return path.isEmpty() ? m_station.SaveTestFileAs() : m_station.SaveTestFileAs(path);
        case 1:
            return true;
        default:
            return false;
    }
}

void WindowMenus::NewTest() {
    if (!m_station.Views().IsEnabled(Displays::OpenButton) || !SettleEdits()) {
        return;
    }
    m_editor.CommitOpenEdits();
    m_station.NewTest();
}

void WindowMenus::OpenTest() {
    if (!m_station.Views().IsEnabled(Displays::OpenButton) || !SettleEdits()) {
        return;
    }
    m_station.OpenTestFile();
}

void WindowMenus::OpenTest(const QString& path) {
    if (!m_station.Views().IsEnabled(Displays::OpenButton) || !SettleEdits()) {
        return;
    }
    if (!m_station.OpenTestFile(path)) {
        m_recent->Remove(path);
    }
}

bool WindowMenus::SaveTest() {
    if (!m_station.Views().IsEnabled(Displays::SaveButton)) {
        return false;
    }
    m_editor.CommitOpenEdits();
    const QString path = m_station.Test().Path();
    return path.isEmpty() ? m_station.SaveTestFileAs() : m_station.SaveTestFileAs(path);
}

bool WindowMenus::SaveTestAs() {
    if (!m_station.Views().IsEnabled(Displays::SaveButton)) {
        return false;
    }
    m_editor.CommitOpenEdits();
    return m_station.SaveTestFileAs();
}
