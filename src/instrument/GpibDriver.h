#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>
#include <QStringList>

// The GPIB driver library, loaded when first needed: the file named by the
// environment variable ZLD_GPIB_LIBRARY, else the usual driver libraries of
// the platform. Only six of its calls are used. Results are taken as 16-bit
// values, the way the handles, counts and status words are defined.
//
// The calls block until the bus answers (up to the device time-out), so they
// are made from a worker thread; the driver keeps its status per thread, and
// the thread registers itself where the library asks for that.
class GpibDriver {
  public:
    static constexpr int kBoard = 0;
    static constexpr int kNoSecondaryAddress = 0;
    static constexpr int kTimeout1s = 11;   // time-out code for 1 s
    static constexpr int kTimeout30ms = 8;  // time-out code for 30 ms
    static constexpr int kAssertEoi = 11;   // non-zero: EOI with the last byte written
    static constexpr int kNoEos = 1;        // no end-of-string mode bits
    static constexpr int kReadSize = 256;
    // Bits of the status word every call returns.
    static constexpr int kStatusError = 0x8000;
    static constexpr int kStatusTimeout = 0x4000;
    static constexpr int kStatusEnd = 0x2000;  // EOI came with the last byte read

    // What one read or write did: the bytes moved and the status word.
    struct Transfer {
        int count = 0;
        int status = 0;
        bool Failed() const { return (status & kStatusError) != 0; }
        bool TimedOut() const { return (status & kStatusTimeout) != 0; }
        bool Ended() const { return (status & kStatusEnd) != 0; }
    };

    GpibDriver() = default;
    GpibDriver(const GpibDriver&) = delete;
    GpibDriver& operator=(const GpibDriver&) = delete;

    // The files tried, in order.
    static QStringList CandidateFiles();

    // Loads the first candidate that offers every call. On failure `error`
    // lists the files tried.
    bool Load(QString* error = nullptr);
    bool IsLoaded() const { return m_ibdev != nullptr; }

    // ibdev with board 0, no secondary address, 1 s time-out, EOI on writes.
    int OpenDevice(int primaryAddress);
    void SetOnline(int handle, int online);
    // The device time-out of later calls on `handle`, as a time-out code.
    void SetTimeout(int handle, int code);
    Transfer WriteBytes(int handle, const QByteArray& bytes);
    // Reads up to kReadSize bytes into `buffer`.
    Transfer ReadBytes(int handle, char* buffer);

    // Gives up this thread's registration; call on the thread before it ends.
    void UnregisterThread();

  private:
    using IbdevFn = int (*)(int, int, int, int, int, int);
    using IbwrtFn = int (*)(int, const void*, long);
    using IbrdFn = int (*)(int, void*, long);
    using IbonlFn = int (*)(int, int);
    using IbtmoFn = int (*)(int, int);
    using IbcntFn = int (*)();
    using RegisterFn = int (*)(int*, int*, int*, long*);
    using UnregisterFn = int (*)();

    bool Resolve();
    void RegisterThread();

    QLibrary m_library;
    IbdevFn m_ibdev = nullptr;
    IbwrtFn m_ibwrt = nullptr;
    IbrdFn m_ibrd = nullptr;
    IbonlFn m_ibonl = nullptr;
    IbtmoFn m_ibtmo = nullptr;
    IbcntFn m_threadIbcnt = nullptr;
    RegisterFn m_register = nullptr;
    UnregisterFn m_unregister = nullptr;
};

// A driver result as a 16-bit signed number (bit 15 set gives a negative one).
int Low16(int value);
// A status word as the 16 bits it is.
int StatusBits(int value);
