#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "QtOperator.h"
#include "Station.h"
#include "WindowFixture.h"

// The check in the window with its real message boxes, answered by clicking
// their buttons as an operator would.
namespace {
// Answers every message box the window shows: clicks the button captioned
// `answer` (the first button when there is none) and keeps what each box
// said, text and list.
class DialogAnswerer {
  public:
    DialogAnswerer() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { AnswerOpenBox(); });
        m_timer.start(20);
    }

    struct Box {
        QString text;
        QString points;
        QStringList buttons;
        QString details;
    };
    QString answer;
    QVector<Box> boxes;

  private:
    void AnswerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        Box seen{box->text(), box->informativeText(), {}, box->detailedText()};
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
            if (button->text() == answer) {
                chosen = button;
            }
        }
        boxes << seen;
        (chosen != nullptr ? chosen : box->buttons().value(0))->click();
    }

    QTimer m_timer;
};

// A rest that the load level before it keeps under load: one warning.
const QList<WindowFixture::Step> kWarnedTest = {
    {"LoadLevel", "CC", "5", "0", "", "", "", "1", "", "60", "1.4", "1"},
    {"Suspend", "", "", "1", "0", "", "", "0.5", "NextStep"},
};
const QString kWarning = QStringLiteral(
    "warning: step 2: Suspend follows the load level of step 1, so the load stays on through it");

class WindowCheckTest : public ::testing::Test {
  protected:
    explicit WindowCheckTest() : f(nullptr, &dialogs) {}

    void Prepare(const QList<WindowFixture::Step>& steps) {
        f.WriteSettings("[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n");
        f.WriteTest(steps);
        dialogs.SetParentWidget(f.window.get());
        f.UseSimulatedLoad();
        f.StartUp();
    }
    bool Finished() const {
        return !answerer.boxes.isEmpty() && answerer.boxes.last().text == "Test Finished";
    }

    QtOperator dialogs;
    WindowFixture f;
    DialogAnswerer answerer;
};
}  // namespace

TEST_F(WindowCheckTest, CheckListsTheFindingsAndTheDuration) {
    Prepare(kWarnedTest);
    f.Click("CheckCommand");
    ASSERT_EQ(answerer.boxes.size(), 1);
    EXPECT_EQ(answerer.boxes[0].text, "Check: 0 errors, 1 warning.");
    EXPECT_EQ(answerer.boxes[0].points, kWarning + "\nestimated duration: 0:00:01");
    EXPECT_EQ(answerer.boxes[0].buttons, QStringList{"OK"});
    EXPECT_TRUE(f.sim->Journal().isEmpty());
}

TEST_F(WindowCheckTest, StartWithWarningsAsksAndRunsOnlyOnStartAnyway) {
    Prepare(kWarnedTest);
    answerer.answer = "Cancel";
    f.Click("StartCommand");
    ASSERT_EQ(answerer.boxes.size(), 1);
    EXPECT_EQ(answerer.boxes[0].text, "The check found 1 warning. Start the test anyway?");
    EXPECT_EQ(answerer.boxes[0].points, kWarning);
    EXPECT_EQ(answerer.boxes[0].buttons, QStringList({"Start anyway", "Cancel"}));
    EXPECT_FALSE(f.station->State().Running);
    EXPECT_TRUE(f.sim->Journal().isEmpty());

    answerer.answer = "Start anyway";
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([this] { return f.station->State().Running || Finished(); }));
    if (f.station->State().Running) {
        EXPECT_FALSE(f.Find<QWidget>("CheckCommand")->isEnabled());
    }
    ASSERT_TRUE(f.WaitFor([this] { return Finished(); }, 20000));
    EXPECT_TRUE(f.sim->Journal().contains("LOAD ON"));
    EXPECT_TRUE(f.Find<QWidget>("CheckCommand")->isEnabled());
}

TEST_F(WindowCheckTest, StartWithErrorsListsThemAndNeverStarts) {
    Prepare({{"Dischrage", "CC", "10", "60", "3", "0", "0", "1", "NextStep"}});
    answerer.answer = "Start anyway";  // not offered
    f.Click("StartCommand");
    ASSERT_EQ(answerer.boxes.size(), 1);
    EXPECT_EQ(answerer.boxes[0].text, "The test cannot start: the check found 1 error.");
    EXPECT_EQ(answerer.boxes[0].buttons, QStringList{"OK"});
    QTest::qWait(200);
    EXPECT_FALSE(f.station->State().Running);
    EXPECT_TRUE(f.sim->Journal().isEmpty());
    EXPECT_TRUE(f.Find<QWidget>("StartCommand")->isEnabled());
}

TEST(QtOperatorQuestion, ClosingPicksTheCautiousAnswerAndLongListsScroll) {
    QtOperator dialogs;
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    escape.start(20);
    EXPECT_EQ(dialogs.AskChoice("Go on?", {"a point"}, {"Start anyway", "Cancel"}), 1);

    // Twenty points: the box shows the first fifteen, the details hold all.
    QStringList points;
    for (int i = 1; i <= 20; ++i) {
        points << QStringLiteral("warning: step %1: something").arg(i);
    }
    escape.stop();
    DialogAnswerer answerer;
    answerer.answer = "Start anyway";
    EXPECT_EQ(dialogs.AskChoice("Go on?", points, {"Start anyway", "Cancel"}), 0);
    ASSERT_EQ(answerer.boxes.size(), 1);
    EXPECT_EQ(answerer.boxes[0].details, points.join('\n'));
    EXPECT_TRUE(answerer.boxes[0].points.contains("warning: step 15: something"));
    EXPECT_FALSE(answerer.boxes[0].points.contains("warning: step 16: something"));
    EXPECT_TRUE(answerer.boxes[0].points.endsWith("... 5 more in the details"));
}
