#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "DataLog.h"
#include "RunHarness.h"
#include "TestFiles.h"

TEST(DataLog, ElapsedTextCountsWholeSecondsAcrossDaysAndHours) {
    const QDateTime start(QDate(2026, 12, 7), QTime(23, 59, 50));
    EXPECT_EQ(ElapsedText(start, start.addSecs(20)), "00:00:20");
    EXPECT_EQ(ElapsedText(start, start.addSecs(100 * 3600 + 5)), "100:00:05");
    EXPECT_EQ(ElapsedText(start, start.addMSecs(999)), "00:00:00");
}

TEST(DataLog, HeaderNamesEveryPhaseColumn) {
    EXPECT_EQ(LogHeader({"Votlage", "Current", "Power"}),
              "No.,Step,Loop1,StepTime,VotlageA,VotlageB,VotlageC,CurrentA,CurrentB,CurrentC,"
              "PowerA,PowerB,PowerC,TotalTime,StepMode");
}

TEST(DataLog, RefusesSerialNumbersThatCannotNameAFile) {
    for (const QString& bad :
         QStringList{"", "a/b", "a\\b", "..", ".", "x:y", "a*", "CON", "com1.txt", "x.",
                     QString(101, 'a'), QString("tab\there")}) {
        EXPECT_FALSE(IsSafeFileName(bad)) << bad.toStdString();
    }
    for (const QString& good : QStringList{"202612071", "BAT-01_A", "cell 7", QString(100, 'a')}) {
        EXPECT_TRUE(IsSafeFileName(good)) << good.toStdString();
    }
}

TEST(DataLog, KeepsAnExistingLogAndCreatesItsFolder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TestLog/SN1.CSV");
    DataLog log;
    QString error;
    ASSERT_TRUE(log.Open(path, "H", &error)) << error.toStdString();
    ASSERT_TRUE(log.WriteLine("1,old", &error));
    // Each line is on disk as soon as it is written.
    EXPECT_EQ(ReadFileBytes(path), "H\r\n1,old\r\n");
    log.Close();

    ASSERT_TRUE(log.Open(path, "H", &error));
    log.Close();
    const QStringList aside = QDir(dir.filePath("TestLog")).entryList({"SN1-*.CSV"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFileBytes(dir.filePath("TestLog/" + aside[0])), "H\r\n1,old\r\n");
    EXPECT_EQ(ReadFileBytes(path), "H\r\n");
}

TEST(DataLog, ReportsWhyALogCannotBeCreated) {
    QTemporaryDir dir;
    WriteFileBytes(dir.filePath("TestLog"), "a file where the folder should be");
    DataLog log;
    QString error;
    EXPECT_FALSE(log.Open(dir.filePath("TestLog/SN.CSV"), "H", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(DataLog, GoesOnWithAnInterruptedLogAfterItsLastWholeLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SN.CSV");
    DataLog log;
    qint64 next = 0;
    QString error;
    // A line cut short by a power cut is dropped; numbering follows the last whole line.
    WriteFileBytes(path, "No.,Step\r\n1,1,a\r\n2,1,b\r\n3,1,c");
    ASSERT_TRUE(log.OpenForAppend(path, &next, &error)) << error.toStdString();
    EXPECT_EQ(next, 3);
    ASSERT_TRUE(log.WriteLine("3,2,d", &error));
    log.Close();
    EXPECT_EQ(ReadFileBytes(path), "No.,Step\r\n1,1,a\r\n2,1,b\r\n3,2,d\r\n");

    WriteFileBytes(path, "No.,Step\r\n");
    ASSERT_TRUE(log.OpenForAppend(path, &next, &error));
    EXPECT_EQ(next, 1);
    log.Close();

    for (const QByteArray& notALog : {QByteArray("no line end"), QByteArray("x,y\r\nz,w\r\n")}) {
        WriteFileBytes(path, notALog);
        EXPECT_FALSE(log.OpenForAppend(path, &next, &error));
        EXPECT_EQ(ReadFileBytes(path), notALog);
    }
    EXPECT_FALSE(log.OpenForAppend(dir.filePath("gone.CSV"), &next, &error));
    EXPECT_EQ(error, "the file is missing");
    EXPECT_FALSE(QFile::exists(dir.filePath("gone.CSV")));
}

TEST(DataLog, OnlyFieldsWithACommaOrAQuoteAreQuoted) {
    EXPECT_EQ(CsvField("CC"), "CC");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("12.5 A"), "12.5 A");
    EXPECT_EQ(CsvField("C,C"), "\"C,C\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");

    // A run whose step mode holds a quote (a comma in the file is read as a
    // decimal point there) and gets a comma once the run has begun: the line
    // keeps its 15 columns.
    RunHarness h;
    h.Prepare({{"Suspend", "C \"x\"", "", "0.2", "0", "", "", "0.1"}});
    h.station->Views().Set(Displays::SerialNumber, "QUOTED");
    QObject::connect(&h.station->Control(), &RunControl::runStarted, [&] {
        h.station->Test().Records().SetField(0, StepField::LoadModeVolt, "C, \"x\"");
    });
    ASSERT_EQ(h.Run(), RunOutcome::Finished) << h.op.Texts().join("|").toStdString();
    const QStringList lines =
        QString::fromUtf8(ReadFileBytes(h.LogPath("QUOTED"))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    const QRegularExpression line(
        R"(^1,1,,\d\d:\d\d:\d\d,(\d+(\.\d+)?,){3}(0,){6}\d\d:\d\d:\d\d,"C, ""x"""$)");
    EXPECT_TRUE(line.match(lines[1]).hasMatch()) << lines[1].toStdString();
}
