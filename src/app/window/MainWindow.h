#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <memory>
#include <optional>

class ChannelFrame;
class ConnectionSetupPanel;
class DisplayBinding;
class LogViewer;
class MeasurementValueFrame;
class Operator;
class PhaseChart;
class QPushButton;
class RunStatusBar;
class SleepInhibitor;
class Station;
class StationTelemetry;
class StepTableEditor;
class UnattendedRuns;
class WindowMenus;

// Side effects a test run of the window does without: keeping the computer
// awake and remembering where the window was.
struct WindowOptions {
    bool keepAwake = true;
    bool rememberGeometry = true;
};

// The main window: views on the station's models and buttons that call its
// click handlers. The run itself lives in the station; the window only shows
// it and forwards the operator's clicks.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    MainWindow(Station& station, Operator& op, const WindowOptions& options = WindowOptions(),
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Channel 1 talks to the simulated load at host:port for this session,
    // whatever file is opened. Nothing is written to files unless the
    // operator presses OK in the connection panel or saves.
    void UseSessionLoad(const QString& host, quint16 port);

    // Closes as the operator's close does, but asks nothing: a running test
    // is stopped and unsaved edits are not saved. For closes that no one
    // can answer (a signal, the end of a demonstration).
    void CloseWithoutQuestions();
    // The close when nobody is there (a signal: logout, kill, a closed
    // terminal; the end of a demonstration): the boxes and dialogs that are
    // open are dismissed, then the window closes without questions.
    void CloseWithNobodyThere();

    // Opens the data log at `path` in a viewer window beside this one; a file
    // that is no data log gets a message. Returns the viewer, or nullptr.
    LogViewer* OpenLog(const QString& path);
    // Asks for a data log, starting in the program folder's TestLog/, and opens it.
    void AskAndOpenLog();

    PhaseChart& Chart() const { return *m_chart; }
    RunStatusBar& RunStatus() const { return *m_status; }
    // The lab's telemetry, when TRIO.INI names a broker; null otherwise.
    StationTelemetry* Telemetry() const { return m_telemetry.get(); }
    UnattendedRuns& Unattended() const { return *m_unattended; }
    WindowMenus& Menus() const { return *m_menus; }
    StepTableEditor& Editor() const { return *m_editor; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The operator's close: a running test and unsaved edits are asked about
    // first. False when the window is to stay.
    bool MayClose();
    void ShowTitle();
    QWidget* BuildFileButtons();
    void ConnectRun();
    void ConnectPanel();
    void OnStartedUp();
    // The safety limits dialog; its OK writes them into the test file.
    void EditSafetyLimits();
    void ApplySessionLoad();
    void ShowLoadPlace();
    void OpenConnectionPanel();
    void AcceptConnectionPanel();
    void PlaceConnectionPanel();

    Station& m_station;
    Operator& m_operator;
    WindowOptions m_options;
    DisplayBinding* m_binding;
    StepTableEditor* m_editor;
    ChannelFrame* m_channel;
    MeasurementValueFrame* m_measurement;
    PhaseChart* m_chart;
    RunStatusBar* m_status;
    ConnectionSetupPanel* m_connectionPanel;
    SleepInhibitor* m_sleepInhibitor;
    WindowMenus* m_menus = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_connect = nullptr;
    // Time of the last point of the run going or last ended.
    QDateTime m_lastPointTime;
    bool m_clockBegun = false;
    bool m_closed = false;
    bool m_closeWithoutQuestions = false;
    std::optional<std::pair<QString, quint16>> m_sessionLoad;
    std::unique_ptr<StationTelemetry> m_telemetry;
    std::unique_ptr<UnattendedRuns> m_unattended;
};
