#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>
#include <QStringList>

// The GPIB driver library, loaded when first needed: the file named by the
// environment variable ZLD_GPIB_LIBRARY, else the usual driver libraries of
// the platform. Only five of its calls are used. Results are taken as 16-bit
// signed values, the way the handles and counts are defined.
//
// The calls block until the bus answers (up to the device time-out), so they
// are made from a worker thread; the driver keeps its status per thread, and
// the thread registers itself where the library asks for that.
class GpibDriver {
  public:
    static constexpr int kBoard = 0;
    static constexpr int kNoSecondaryAddress = 0;
    static constexpr int kTimeout1s = 11;  // time-out code for 1 s
    static constexpr int kAssertEoi = 11;  // non-zero: EOI with the last byte written
    static constexpr int kNoEos = 1;       // no end-of-string mode bits
    static constexpr int kReadSize = 256;

    GpibDriver() = default;
    GpibDriver(const GpibDriver&) = delete;
    GpibDriver& operator=(const GpibDriver&) = delete;

    // The files tried, in order.
    static QStringList CandidateFiles();

    // Loads the first candidate that offers every call. On failure `error`
    // lists what was tried.
    bool Load(QString* error = nullptr);
    bool IsLoaded() const { return m_ibdev != nullptr; }

    // ibdev with board 0, no secondary address, 1 s time-out, EOI on writes.
    int OpenDevice(int primaryAddress);
    void SetOnline(int handle, int online);
    void WriteBytes(int handle, const QByteArray& bytes);
    // Reads up to kReadSize bytes into `buffer`; returns the driver's count.
    int ReadBytes(int handle, char* buffer);

    // Gives up this thread's registration; call on the thread before it ends.
    void UnregisterThread();

  private:
    using IbdevFn = int (*)(int, int, int, int, int, int);
    using IbwrtFn = int (*)(int, const void*, long);
    using IbrdFn = int (*)(int, void*, long);
    using IbonlFn = int (*)(int, int);
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
    IbcntFn m_threadIbcnt = nullptr;
    RegisterFn m_register = nullptr;
    UnregisterFn m_unregister = nullptr;
};

// A driver result as a 16-bit signed number (bit 15 set gives a negative one).
int Low16(int value);
