#pragma once

#include <QByteArray>
#include <QString>

// What became of one open, write or read on the link to a load: a value,
// never an exception. A read that succeeded carries the reply; every other
// outcome carries its kind and a reason a person can read ("no reply within
// 10 s", "connection refused"). Transports only report; the connection and
// run layers decide what the operator sees.
struct LinkResult {
    enum class Kind {
        Ok,           // opened, sent, or a reply came
        TimedOut,     // the wait ended and nothing came
        ShortReply,   // fewer than two bytes came: a lone line end is no answer
        Closed,       // the program closed the link, or never opened it
        Lost,         // the link went away by itself, or never came up
        OpenFailed,   // the link could not be opened (refused, no such device)
        NoDriver,     // the medium's driver library is missing
        DriverError,  // the medium's driver reported an error
    };

    Kind kind = Kind::Ok;
    QString reply;   // the reply of a successful read, without its line end
    QString reason;  // why it failed; "" when it did not

    bool Ok() const { return kind == Kind::Ok; }

    static LinkResult Done() { return LinkResult{}; }
    static LinkResult Reply(const QString& text) { return LinkResult{Kind::Ok, text, QString()}; }
    static LinkResult Failure(Kind kind, const QString& reason) {
        return LinkResult{kind, QString(), reason};
    }
    // What a read makes of the bytes it received: nothing is a time-out,
    // fewer than two bytes a short reply, anything else the reply as 8-bit
    // text without one trailing CR LF or LF.
    static LinkResult FromReceived(const QByteArray& received, const QString& timeOutReason);
    // What a read that waited `window` ("10 s") for a line end makes of what
    // came: a time-out, also for a line without its end. Its pieces are no
    // reading of the load, and taken for one they would shift the readings of
    // the queries that follow.
    static LinkResult Unfinished(const QByteArray& received, const QString& window);
};

// Removes one trailing CR LF, else one trailing LF.
QByteArray TrimLineEnd(const QByteArray& reply);

// Takes the first whole line, LF included, out of `buffer`; "" (and the
// buffer untouched) while no LF has come.
QByteArray TakeLine(QByteArray* buffer);
