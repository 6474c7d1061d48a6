// The window that puts the frames, the menus and the charts together and
// answers for the program's close; its parts live in classes of their own,
// what is left is the wiring between them, hence its length.
#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "ChannelFrame.h"
#include "Clock.h"
#include "ConnectionSetupPanel.h"
#include "DisplayBinding.h"
#include "LoadConnection.h"
#include "LoadStatusFrames.h"
#include "LogViewer.h"
#include "MeasurementValueFrame.h"
#include "Operator.h"
#include "PhaseChart.h"
#include "PointLog.h"
#include "RunStatusBar.h"
#include "SafetyLimitsDialog.h"
#include "SleepInhibitor.h"
#include "Station.h"
#include "StationTelemetry.h"
#include "StepTableEditor.h"
#include "UnattendedRuns.h"
#include "WindowGeometry.h"
#include "WindowMenus.h"

namespace {
const QString kCaption = QStringLiteral("ZLD-3300 3-Phase Control Program R1.5");
// Where the title shows that the table differs from its file.
const QString kModifiedMark = QStringLiteral("[*]");
// What waits for the lab's broker gets this long to go out at closing.
constexpr int kTelemetryFlushMs = 2000;
const QString kDataLogFilter = QStringLiteral("Data logs (*.csv *.CSV);;All files (*)");

QPushButton* CommandButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// What the status line says about the load channel 1 reaches.
QString LoadPlace(const ConnectionRecord& record) {
    switch (record.medium) {
        case Medium::Lan:
            return QStringLiteral("Load on LAN %1:%2").arg(record.ip).arg(record.port);
        case Medium::Serial:
            return QStringLiteral("Load on RS232/USB COM%1").arg(record.comPort);
        case Medium::Gpib:
            return QStringLiteral("Load on GPIB address %1").arg(record.gpibAddress);
    }
    return QString();
}

}  // namespace

MainWindow::MainWindow(Station& station, Operator& op, const WindowOptions& options,
                       QWidget* parent)
    : QMainWindow(parent),
      m_station(station),
      m_operator(op),
      m_options(options),
      m_binding(new DisplayBinding(station.Views(), this)),
      m_sleepInhibitor(new SleepInhibitor(this)) {
    setObjectName(QStringLiteral("MainWindow"));
    ShowTitle();

    auto* central = new QWidget(this);
    m_editor = new StepTableEditor(station.Test().Table(), op, central);
    m_channel = new ChannelFrame(station, *m_binding, central);
    m_measurement =
        new MeasurementValueFrame(*m_binding, station.Phases(), station.Test(), central);
    m_chart = new PhaseChart(central);
    m_connectionPanel = new ConnectionSetupPanel(station.Connection(), op, central);
    m_connectionPanel->hide();

    auto* left = new QVBoxLayout;
    left->addWidget(m_channel);
    left->addWidget(BuildFileButtons());
    left->addWidget(new LoadStatusFrames(station.Connection().StatusGrid(), *m_binding, this));
    left->addStretch(1);
    auto* lowerWidget = new QWidget(central);
    auto* lower = new QHBoxLayout(lowerWidget);
    lower->setContentsMargins(0, 0, 0, 0);
    lower->addLayout(left);
    lower->addWidget(m_measurement);
    lower->addWidget(m_chart, 1);

    // The operator decides how much room the steps get against the run view.
    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->setObjectName(QStringLiteral("MainSplitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_editor);
    splitter->addWidget(lowerWidget);
    // Height beyond the lower frames' own goes mostly to the charts.
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(splitter);
    setCentralWidget(central);

    m_status = new RunStatusBar(station.Views(), this);
    setStatusBar(m_status);

    m_binding->BindEnabled(Displays::AddStepButton,
                           [this](bool enabled) { m_editor->SetEditingEnabled(enabled); });
    // Loads sharing one set value cannot all hold a voltage: the editors
    // refuse CV while more than one load answers.
    connect(&station.Connection(), &LoadConnection::loadCountChanged, m_editor,
            &StepTableEditor::SetChannelsInUse);
    m_unattended = std::make_unique<UnattendedRuns>(station, QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion());
    connect(m_channel, &ChannelFrame::limitsRequested, this, &MainWindow::EditSafetyLimits);
    // A resumed test opens its own file; the session's load must still win.
    connect(&station, &Station::testFileOpened, this, &MainWindow::ApplySessionLoad);
    WindowMenus::Hooks hooks;
    hooks.openLog = [this] { AskAndOpenLog(); };
    m_menus = new WindowMenus(*this, station, *m_editor, *m_binding, op, options.rememberGeometry,
                              std::move(hooks));
    ConnectRun();
    ConnectPanel();
    connect(&station, &Station::startedUp, this, &MainWindow::OnStartedUp);
    connect(&station.Test(), &TestDocument::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&station.Test(), &TestDocument::pathChanged, this, &MainWindow::ShowTitle);
    connect(&station, &Station::startedUp, this, &MainWindow::ShowTitle);
    connect(&station.Connection(), &LoadConnection::panelChanged, this, &MainWindow::ShowLoadPlace);
    connect(&station.Connection(), &LoadConnection::connectProgress, m_status,
            &RunStatusBar::ShowConnecting);
    resize(QSize(1500, 950).boundedTo(screen()->availableGeometry().size()));
    if (m_options.rememberGeometry) {
        RestoreWindowGeometry(*this);
    }
}

MainWindow::~MainWindow() {
    // The menus follow the editor's history, which goes with the central
    // widget before the window's other children.
    delete m_menus;
}

QWidget* MainWindow::BuildFileButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    m_open = CommandButton(QStringLiteral("OpenCommand"), QStringLiteral("Open File"), box);
    m_save = CommandButton(QStringLiteral("SaveCommand"), QStringLiteral("Save File"), box);
    m_connect = CommandButton(QStringLiteral("ConnectCommand"),
                              QStringLiteral("Device Connect Setup"), box);
    m_open->setToolTip(QStringLiteral("Opens a test file with its connection settings"));
    m_save->setToolTip(
        QStringLiteral("Saves the steps and the connection settings to a test file you choose"));
    m_connect->setToolTip(
        QStringLiteral("How the load is reached: LAN address and port, serial port or GPIB "
                       "address"));
    row->addWidget(m_open);
    row->addWidget(m_save);
    row->addWidget(m_connect);
    m_binding->BindEnabled(Displays::OpenButton, m_open);
    m_binding->BindEnabled(Displays::SaveButton, m_save);
    m_binding->BindEnabled(Displays::ConnectButton, m_connect);
    connect(m_open, &QPushButton::clicked, this, [this] { m_menus->OpenTest(); });
    connect(m_save, &QPushButton::clicked, this, [this] { m_station.SaveTestFileAs(); });
    connect(m_connect, &QPushButton::clicked, this, &MainWindow::OpenConnectionPanel);
    return box;
}

void MainWindow::ConnectRun() {
    connect(&m_station.Control(), &RunControl::pointLogged, m_chart,
            qOverload<const MeasuredPoint&>(&PhaseChart::AddPoint));
    connect(&m_station.Control(), &RunControl::pointLogged, this,
            [this] { m_lastPointTime = m_station.RunClock().Now(); });
    connect(&m_station.Control(), &RunControl::runStarted, this, [this] {
        m_chart->Clear();
        m_lastPointTime = QDateTime();
        m_measurement->ShowLive();
        m_status->ShowEarlierLog(m_station.LogMovedAside());
        if (m_options.keepAwake) {
            m_sleepInhibitor->Inhibit(QStringLiteral("A battery test is running"));
        }
    });
    connect(&m_station.Control(), &RunControl::runEnded, this, [this](RunOutcome outcome) {
        m_sleepInhibitor->Release();
        m_status->ShowIdle();
        if (outcome == RunOutcome::NotStarted) {
            return;
        }
        // With the load off, the boxes must not look like its present state.
        m_measurement->ShowLastReadings(
            m_lastPointTime.isValid()
                ? QStringLiteral("Last readings at %1")
                      .arg(m_lastPointTime.toString(QStringLiteral("hh:mm:ss")))
                : QStringLiteral("No readings taken by the last run"));
    });
    // Pause, the resume and Stop each write the channel's caption once the
    // run state knows.
    m_binding->Bind(Displays::ChannelCaption, [this](const QString&) {
        m_status->ShowPaused(m_station.State().Running && m_station.State().PauseRequested);
    });
}

void MainWindow::ConnectPanel() {
    // A panel left open when a run starts must not store a new medium under
    // the open link, nor save the table the run is counting down.
    m_binding->BindEnabled(Displays::ConnectButton, m_connectionPanel->OkButton());
    connect(m_connectionPanel, &ConnectionSetupPanel::accepted, this,
            &MainWindow::AcceptConnectionPanel);
    connect(m_connectionPanel, &ConnectionSetupPanel::cancelled, m_connectionPanel, &QWidget::hide);
}

void MainWindow::OnStartedUp() {
    m_telemetry = StartStationTelemetry(m_station, m_operator);
    if (m_telemetry) {
        connect(m_unattended.get(), &UnattendedRuns::resultsFinished, m_telemetry.get(),
                &StationTelemetry::PublishResultsFile);
        connect(m_telemetry.get(), &StationTelemetry::stateTextChanged, m_status,
                &RunStatusBar::ShowTelemetry);
        m_status->ShowTelemetry(m_telemetry->StateText());
    }
    const ProgramSettings& settings = m_station.Settings();
    m_editor->SetNameLists(settings.actionNames, settings.loadModeNames, settings.highLowNames);
    m_editor->SetLanMode(settings.lanMode);
    m_editor->SetChannelNumber(settings.channelNumber);
    ApplySessionLoad();
    ShowLoadPlace();
    // Asked once the window has finished starting up and shows the test.
    QTimer::singleShot(0, m_unattended.get(), &UnattendedRuns::OfferResume);
}

void MainWindow::EditSafetyLimits() {
    if (m_station.Test().Path().isEmpty()) {
        // The limits live in the test file, which a new test does not have yet.
        m_operator.ShowMessage(QStringLiteral(
            "Save the new test first: its safety limits are kept in its test file."));
        return;
    }
    auto* dialog = new SafetyLimitsDialog(
        m_station.Test().Limits(), m_operator,
        [this](const SafetyLimits& limits) { return m_station.SetSafetyLimits(limits); }, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::UseSessionLoad(const QString& host, quint16 port) {
    m_sessionLoad = std::make_pair(host, port);
    if (m_station.StartedUp()) {
        ApplySessionLoad();
    }
}

void MainWindow::ApplySessionLoad() {
    // Every restore of the connection settings reads the files again; the
    // session's load must win over them until the operator stores another.
    if (!m_sessionLoad) {
        return;
    }
    const auto& [host, port] = *m_sessionLoad;
    m_station.UseLanLoad(host, port);
    m_editor->SetLanMode(m_station.Settings().lanMode);
    // The status grid too shows where Start will connect.
    StatusGridModel& grid = m_station.Connection().StatusGrid();
    grid.ShowMedium(Medium::Lan);
    grid.SetAddress(0, QStringLiteral("%1:%2").arg(host).arg(port));
    grid.SetStatus(0, StatusGridModel::kWait);
    ShowLoadPlace();
}

void MainWindow::ShowLoadPlace() {
    if (m_sessionLoad) {
        const auto& [host, port] = *m_sessionLoad;
        m_status->ShowLoadPlace(QStringLiteral("Simulated load on %1:%2").arg(host).arg(port));
        return;
    }
    const LoadConnection& connection = m_station.Connection();
    m_status->ShowLoadPlace(LoadPlace(connection.Records()[connection.LoadDevice(0)]));
}

LogViewer* MainWindow::OpenLog(const QString& path) {
    return LogViewer::Open(path, m_operator, this);
}

void MainWindow::AskAndOpenLog() {
    const QString logs =
        QDir(m_station.Settings().programFolder).filePath(QStringLiteral("TestLog"));
    const QString path = m_operator.AskOpenFile(kDataLogFilter, QDir::toNativeSeparators(logs));
    if (!path.isEmpty()) {
        OpenLog(path);
    }
}

void MainWindow::OpenConnectionPanel() {
    m_station.ReloadConnectionSettings();
    ApplySessionLoad();
    m_connectionPanel->Refresh();
    PlaceConnectionPanel();
    m_connectionPanel->show();
    m_connectionPanel->raise();
    m_connectionPanel->setFocus();
}

void MainWindow::AcceptConnectionPanel() {
    // The operator chose a connection: from now on it is theirs, not the session's.
    m_sessionLoad.reset();
    m_connectionPanel->hide();
    m_station.AcceptConnectionSettings();
    m_editor->SetLanMode(m_station.Settings().lanMode);
    ShowLoadPlace();
}

void MainWindow::PlaceConnectionPanel() {
    QWidget* area = centralWidget();
    const QSize size = m_connectionPanel->sizeHint().boundedTo(area->size());
    m_connectionPanel->setGeometry(QRect(
        QPoint((area->width() - size.width()) / 2, (area->height() - size.height()) / 2), size));
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_clockBegun) {
        // Start-up work waits for the first clock tick, so the window is on
        // screen before any file is read.
        m_clockBegun = true;
        m_station.BeginClock();
    }
}

void MainWindow::CloseWithoutQuestions() {
    m_closeWithoutQuestions = true;
    close();
}

void MainWindow::CloseWithNobodyThere() {
    // A box waiting for its answer runs the run's ticks in its own event
    // loop; left open it would keep the process, and the load, going.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    }
    CloseWithoutQuestions();
}

bool MainWindow::MayClose() {
    if (m_closeWithoutQuestions) {
        return true;
    }
    // A test may have run for days; one stray click must not end it. Its
    // table cannot be saved mid-run (the run counts cells down) and was
    // saved when it started.
    if (m_station.State().Running) {
        return m_operator.AskChoice(QStringLiteral("A test is running. Stop it and close?"), {},
                                    {QStringLiteral("Stop and Close"), QStringLiteral("Cancel")}) ==
               0;
    }
    return m_menus->SettleEdits();
}

void MainWindow::ShowTitle() {
    // The file's name beside the program's caption, and a mark while the
    // table differs from it.
    const QString path = m_station.Test().Path();
    setWindowFilePath(path);
    if (!m_station.StartedUp()) {
        setWindowTitle(kCaption + kModifiedMark);
        return;
    }
    const QString name = path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName();
    setWindowTitle(QStringLiteral("%1%2 - %3").arg(name, kModifiedMark, kCaption));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    m_editor->CommitOpenEdits();
    if (!MayClose()) {
        event->ignore();
        return;
    }
    // From here the run stops and the load is released.
    event->accept();
    m_closed = true;
    if (m_options.rememberGeometry) {
        StoreWindowGeometry(*this);
    }
    m_sleepInhibitor->Release();
    if (!m_closeWithoutQuestions && m_station.State().Running) {
        // The operator chose to stop the test: it ends as Stop ends it, and
        // is not offered for a resume. A close nobody answered (a signal, a
        // shutdown of the computer) leaves it to be resumed.
        m_station.Stop();
    }
    m_station.Shutdown();
    if (m_telemetry) {
        m_telemetry->Shutdown(kTelemetryFlushMs);
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_connectionPanel->isVisible()) {
        PlaceConnectionPanel();
    }
}
