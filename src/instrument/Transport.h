#pragma once

#include <QDeadlineTimer>
#include <QString>

#include "LinkResult.h"
#include "Medium.h"

// One medium to a load: open, write one command, read one reply, close.
// Each call runs to its end on the calling (window) thread; waits let pending
// events run, so a Stop click can close the link in the middle of a read (the
// read then ends as Closed). Every outcome comes back as a LinkResult; a
// transport never speaks to the operator.
//
// Every medium reports the same way: a read or write that finds the link
// closed by the program gives Closed; one that finds it gone without the
// program closing it (peer hung up, device pulled, never came up) gives Lost,
// until the next Open.
class Transport {
  public:
    virtual ~Transport() = default;

    virtual Medium LinkMedium() const = 0;
    // Where the load is, for people: "127.0.0.1:4001", "/dev/ttyUSB0", "5".
    virtual QString Address() const = 0;

    virtual LinkResult Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Sends one command; the medium adds its own framing.
    virtual LinkResult Write(const QString& command) = 0;
    // The plain read that the connection pass and measurement use.
    virtual LinkResult Read() = 0;
    // The plain read, given up at `deadline` when that comes before the
    // read's own time-out: a measurement point bounds its queries together.
    // A medium whose reads are short anyway just reads.
    virtual LinkResult ReadBefore(const QDeadlineTimer& deadline) {
        Q_UNUSED(deadline);
        return Read();
    }
    // The result line of a timed load test: waits up to `seconds`, at least
    // as long as a plain read.
    virtual LinkResult ReadTimed(double seconds) = 0;
};
