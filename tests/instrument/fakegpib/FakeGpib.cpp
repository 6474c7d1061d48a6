#include "FakeGpib.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>

// A stand-in for a GPIB driver library with the same calls. It talks to no
// bus: it records each call and answers from queues the test fills. Like a
// real device on a real bus, a read waits for its data up to the device's
// time-out (set by ibdev and ibtmo), ends when a reply's last byte (sent with
// EOI) or the count is reached, and reports a time-out in its status.
namespace {
using Clock = std::chrono::steady_clock;

// The driver's status bits.
constexpr int kErr = 0x8000;
constexpr int kTimo = 0x4000;
constexpr int kEnd = 0x2000;
constexpr int kCmpl = 0x0100;

// The driver's time-out codes, from TNONE (0) to T1000s (17), in microseconds.
constexpr long long kTimeoutMicros[] = {
    0,      10,     30,      100,     300,      1000,     3000,      10000,     30000,
    100000, 300000, 1000000, 3000000, 10000000, 30000000, 100000000, 300000000, 1000000000};
constexpr int kDefaultTimeoutCode = 11;  // 1 s

struct Piece {
    std::string bytes;
    bool end = true;  // the last byte goes with EOI
    std::chrono::milliseconds delay{0};
};

std::mutex gMutex;
std::condition_variable gArrived;
std::string gCalls;
std::deque<int> gDevices;
std::deque<Piece> gReads;
Clock::time_point gHeadSince = Clock::now();  // when the first piece became first
std::map<int, int> gTimeoutCodes;
std::string gAnswer;
std::chrono::milliseconds gAnswerDelay{0};
std::map<std::string, Clock::time_point> gLastWrites;
int gStatus = 0;  // when not 0, what every write and read returns
thread_local int tLastCount = 0;

void Record(const std::string& call) {
    gCalls += call;
    gCalls += '\n';
}

void Enqueue(Piece piece) {
    if (gReads.empty()) {
        gHeadSince = Clock::now();
    }
    gReads.push_back(std::move(piece));
    gArrived.notify_all();
}

Clock::duration TimeoutOf(int ud) {
    const auto found = gTimeoutCodes.find(ud);
    const int code = found != gTimeoutCodes.end() ? found->second : kDefaultTimeoutCode;
    return std::chrono::microseconds(kTimeoutMicros[std::clamp(code, 0, 17)]);
}
}  // namespace

extern "C" {
int ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    std::lock_guard<std::mutex> lock(gMutex);
    Record("ibdev(" + std::to_string(board) + "," + std::to_string(pad) + "," +
           std::to_string(sad) + "," + std::to_string(tmo) + "," + std::to_string(eot) + "," +
           std::to_string(eos) + ")");
    int handle = 3;
    if (!gDevices.empty()) {
        handle = gDevices.front();
        gDevices.pop_front();
    }
    gTimeoutCodes[handle] = tmo;
    return handle;
}

int ibtmo(int ud, int v) {
    std::lock_guard<std::mutex> lock(gMutex);
    Record("ibtmo(" + std::to_string(ud) + "," + std::to_string(v) + ")");
    if (ud < 0) {
        return kErr;
    }
    gTimeoutCodes[ud] = v;
    return kCmpl;
}

int ibwrt(int ud, const void* buffer, long count) {
    std::lock_guard<std::mutex> lock(gMutex);
    const std::string text(static_cast<const char*>(buffer), static_cast<size_t>(count));
    Record("ibwrt(" + std::to_string(ud) + "," + text + "," + std::to_string(count) + ")");
    if (ud < 0 || gStatus != 0) {
        tLastCount = 0;
        return ud < 0 ? kErr : gStatus;
    }
    gLastWrites[text] = Clock::now();
    if (!gAnswer.empty() && !text.empty() && text.back() == '?') {
        Enqueue(Piece{gAnswer, true, gAnswerDelay});
    }
    tLastCount = static_cast<int>(count);
    return kCmpl;
}

int ibrd(int ud, void* buffer, long count) {
    std::unique_lock<std::mutex> lock(gMutex);
    Record("ibrd(" + std::to_string(ud) + "," + std::to_string(count) + ")");
    tLastCount = 0;
    if (ud < 0 || gStatus != 0) {
        return ud < 0 ? kErr : gStatus;
    }
    const Clock::time_point deadline = Clock::now() + TimeoutOf(ud);
    char* out = static_cast<char*>(buffer);
    long received = 0;
    while (received < count) {
        const bool ready = !gReads.empty() && Clock::now() >= gHeadSince + gReads.front().delay;
        if (!ready) {
            const Clock::time_point wake =
                gReads.empty() ? deadline : std::min(deadline, gHeadSince + gReads.front().delay);
            if (Clock::now() >= deadline) {
                tLastCount = static_cast<int>(received);
                return kErr | kTimo;
            }
            gArrived.wait_until(lock, wake);
            continue;
        }
        Piece& piece = gReads.front();
        const size_t n = std::min(piece.bytes.size(), static_cast<size_t>(count - received));
        std::memcpy(out + received, piece.bytes.data(), n);
        received += static_cast<long>(n);
        piece.bytes.erase(0, n);
        if (!piece.bytes.empty()) {
            break;  // the count is reached; the rest waits for the next read
        }
        const bool end = piece.end;
        gReads.pop_front();
        gHeadSince = Clock::now();
        if (end) {
            tLastCount = static_cast<int>(received);
            return kCmpl | kEnd;
        }
    }
    tLastCount = static_cast<int>(received);
    return kCmpl;
}

int ibonl(int ud, int v) {
    std::lock_guard<std::mutex> lock(gMutex);
    Record("ibonl(" + std::to_string(ud) + "," + std::to_string(v) + ")");
    tLastCount = 0;
    return kCmpl;
}

int ThreadIbcnt(void) {
    return tLastCount;
}

int RegisterGpibGlobalsForThread(int*, int*, int*, long*) {
    std::lock_guard<std::mutex> lock(gMutex);
    Record("register");
    return 0;
}

int UnregisterGpibGlobalsForThread(void) {
    std::lock_guard<std::mutex> lock(gMutex);
    Record("unregister");
    return 0;
}

void FakeGpibReset() {
    std::lock_guard<std::mutex> lock(gMutex);
    gCalls.clear();
    gDevices.clear();
    gReads.clear();
    gAnswer.clear();
    gAnswerDelay = std::chrono::milliseconds(0);
    gLastWrites.clear();
    gStatus = 0;
}

void FakeGpibSetStatus(int status) {
    std::lock_guard<std::mutex> lock(gMutex);
    gStatus = status;
}

void FakeGpibQueueDevice(int handle) {
    std::lock_guard<std::mutex> lock(gMutex);
    gDevices.push_back(handle);
}

void FakeGpibQueueRead(const char* bytes, int length) {
    std::lock_guard<std::mutex> lock(gMutex);
    Enqueue(Piece{std::string(bytes, static_cast<size_t>(length)), true, {}});
}

void FakeGpibQueuePiece(const char* bytes, int length, int delayMs, int end) {
    std::lock_guard<std::mutex> lock(gMutex);
    Enqueue(Piece{std::string(bytes, static_cast<size_t>(length)), end != 0,
                  std::chrono::milliseconds(delayMs)});
}

void FakeGpibAnswerQueries(const char* reply, int delayMs) {
    std::lock_guard<std::mutex> lock(gMutex);
    gAnswer = reply != nullptr ? reply : "";
    gAnswerDelay = std::chrono::milliseconds(delayMs);
}

long long FakeGpibLastWriteNs(const char* text) {
    std::lock_guard<std::mutex> lock(gMutex);
    const auto found = gLastWrites.find(text);
    if (found == gLastWrites.end()) {
        return -1;
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(found->second.time_since_epoch())
        .count();
}

int FakeGpibCalls(char* out, int size) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (size > 0) {
        const size_t n = std::min(gCalls.size(), static_cast<size_t>(size - 1));
        std::memcpy(out, gCalls.data(), n);
        out[n] = '\0';
    }
    return static_cast<int>(gCalls.size());
}
}
