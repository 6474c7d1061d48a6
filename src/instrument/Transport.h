#pragma once

#include <QString>

// One medium to a load: open, write one command, read one reply, close.
// Each call runs to its end on the calling (window) thread; waits let pending
// events run. A read that receives nothing usable returns "ErrRec".
class Transport {
  public:
    virtual ~Transport() = default;

    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Sends one command; the medium adds its own framing.
    virtual void Write(const QString& command) = 0;
    // The plain read that connection and measurement use.
    virtual QString Read() = 0;
    // As Read, but a serial line first lets the reply settle for 32 ms.
    virtual QString ReadSettled() { return Read(); }
    // As Read, but a serial line waits up to `seconds` (across midnight).
    virtual QString ReadTimed(double seconds) {
        (void)seconds;
        return Read();
    }

    // True once a write or read found the link gone since the last Open().
    virtual bool LinkLost() const { return false; }
};
