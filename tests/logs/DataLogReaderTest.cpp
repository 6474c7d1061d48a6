#include <gtest/gtest.h>

#include "DataLog.h"
#include "DataLogReader.h"

namespace {
const QByteArray kHeader =
    "No.,Step,Loop1,StepTime,VotlageA,VotlageB,VotlageC,CurrentA,CurrentB,CurrentC,"
    "PowerA,PowerB,PowerC,TotalTime,StepMode\r\n";

QByteArray Line(int number, const char* totalTime, double current = 10) {
    return QStringLiteral("%1,3,1,14:02:19,52.4,52.41,52.42,%2,%2,%2,524,524,524,%3,CC\r\n")
        .arg(number)
        .arg(current)
        .arg(QLatin1String(totalTime))
        .toUtf8();
}

QVector<double> Seconds(const QVector<LoggedPoint>& points) {
    QVector<double> seconds;
    for (const LoggedPoint& p : points) {
        seconds << p.seconds;
    }
    return seconds;
}
}  // namespace

TEST(DataLogReader, SpreadsPointsOfOneSecondAndHoldsTheNewestSecondUntilItIsComplete) {
    DataLogReader reader;
    QString error;
    // Lines arrive cut anywhere, as a running log is read.
    const QByteArray bytes = kHeader + Line(1, "00:00:00") + Line(2, "00:00:00") +
                             Line(3, "00:00:01") + Line(4, "00:00:01") + Line(5, "00:00:01");
    ASSERT_TRUE(reader.Feed(bytes.left(200), &error)) << error.toStdString();
    ASSERT_TRUE(reader.Feed(bytes.mid(200), &error));
    EXPECT_TRUE(reader.HeaderSeen());
    EXPECT_EQ(reader.QuantityTitles(), QStringList({"Votlage", "Current", "Power"}));

    // Second 1 may still get points: only second 0 is placed.
    EXPECT_EQ(Seconds(reader.TakePoints(false)), QVector<double>({0, 0.5}));
    ASSERT_TRUE(reader.Feed(Line(6, "00:00:02"), &error));
    const QVector<LoggedPoint> second1 = reader.TakePoints(false);
    ASSERT_EQ(second1.size(), 3);
    EXPECT_DOUBLE_EQ(second1[1].seconds, 1 + 1.0 / 3);
    EXPECT_EQ(second1[2].number, 5);
    EXPECT_EQ(second1[2].step, 3);
    EXPECT_EQ(second1[2].loop1, "1");
    EXPECT_EQ(second1[2].voltage, (std::array<double, 3>{52.4, 52.41, 52.42}));
    EXPECT_EQ(second1[2].stepMode, "CC");

    // A log that stopped growing gives its newest second too; a point of
    // that second written later still comes after it.
    EXPECT_EQ(Seconds(reader.TakePoints(true)), QVector<double>({2}));
    ASSERT_TRUE(reader.Feed(Line(7, "00:00:02"), &error));
    EXPECT_EQ(Seconds(reader.TakePoints(true)), QVector<double>({2.5}));
    EXPECT_TRUE(reader.TakePoints(true).isEmpty());

    // Hours run past a day.
    ASSERT_TRUE(reader.Feed(Line(8, "100:00:05"), &error));
    EXPECT_EQ(Seconds(reader.TakePoints(true)), QVector<double>({360005}));
    EXPECT_EQ(reader.SkippedLines(), 0);
}

TEST(DataLogReader, SkipsLinesThatAreNoPoints) {
    DataLogReader reader;
    QString error;
    // A header saved by a spreadsheet with a byte order mark and LF endings is still one.
    ASSERT_TRUE(reader.Feed("\xEF\xBB\xBF" + kHeader.chopped(2) + "\n", &error));
    ASSERT_TRUE(reader.Feed(Line(1, "00:00:01") + "\r\n" +                   // a blank line
                                "2,3,1,14:02:20,52.4,52.4\r\n" +             // cut short
                                Line(3, "00:75:00") +                        // no such time
                                Line(4, "00:00:02").replace("524,", "x,") +  // no number
                                Line(5, "00:00:02", 10) + QByteArray(70 * 1024, 'x'),
                            &error))
        << error.toStdString();
    const QVector<LoggedPoint> points = reader.TakePoints(true);
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(points[0].number, 1);
    EXPECT_EQ(points[1].number, 5);
    // The cut line, the bad time, the bad number and the endless line.
    EXPECT_EQ(reader.SkippedLines(), 4);
}

TEST(DataLogReader, RefusesFilesThatAreNoDataLogs) {
    const QList<QByteArray> others = {
        "[TestStep Option]\r\nMeasureTime=0.01\r\n",
        "No.,Step,Loop1,StepTime,TotalTime,StepMode\r\n1,1,,14:00:00,00:00:01,\r\n",
        "No.,Step,Loop1,StepTime,VA,VB,VX,CA,CB,CC,PA,PB,PC,TotalTime,StepMode\r\n",
        QByteArray(DataLogReader::kLongestHeader + 1, '\x01'),
    };
    for (const QByteArray& other : others) {
        DataLogReader reader;
        QString error;
        EXPECT_FALSE(reader.Feed(other, &error)) << other.left(40).toStdString();
        EXPECT_TRUE(error.contains("not a data log header")) << error.toStdString();
        // Nothing more is taken from it.
        EXPECT_FALSE(reader.Feed(kHeader + Line(1, "00:00:01"), &error));
        EXPECT_TRUE(reader.TakePoints(true).isEmpty());
    }
}

TEST(DataLogReader, ReadsQuotedFieldsAsTheRunWritesThem) {
    // Quoted by the writer's own rule.
    const QString loop1 = QStringLiteral("3, of \"5\"");
    const QString mode = QStringLiteral("CC\r\nx");  // a line break inside a field
    const QByteArray line =
        QStringLiteral("7,2,%1,14:02:19,52.4,52.41,52.42,0,0,0,0,0,0,00:00:04,%2\r\n")
            .arg(CsvField(loop1), CsvField(mode))
            .toUtf8();
    ASSERT_TRUE(line.contains('"'));

    DataLogReader reader;
    QString error;
    // Cut inside the quoted field, as a running log may be read.
    const QByteArray bytes = kHeader + line + Line(8, "00:00:05");
    const qsizetype cut = bytes.indexOf("CC") + 3;
    ASSERT_TRUE(reader.Feed(bytes.left(cut), &error));
    EXPECT_TRUE(reader.TakePoints(true).isEmpty());
    ASSERT_TRUE(reader.Feed(bytes.mid(cut), &error));
    const QVector<LoggedPoint> points = reader.TakePoints(true);
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(points[0].number, 7);
    EXPECT_EQ(points[0].loop1, loop1);
    EXPECT_EQ(points[0].stepMode, mode);
    EXPECT_EQ(points[0].voltage, (std::array<double, 3>{52.4, 52.41, 52.42}));
    EXPECT_EQ(points[1].number, 8);
    EXPECT_EQ(reader.SkippedLines(), 0);

    // A quote that is never closed costs its own line only, however many
    // lines follow it.
    DataLogReader junk;
    QByteArray rest = kHeader + "1,1,\"unclosed,14:00:00\r\n";
    for (int n = 2; n < 1200; ++n) {
        rest += Line(n, "00:00:01");
    }
    ASSERT_TRUE(junk.Feed(rest, &error));
    EXPECT_EQ(junk.TakePoints(true).size(), 1198);
    EXPECT_EQ(junk.SkippedLines(), 1);
}
