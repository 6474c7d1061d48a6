#include "FakeGpib.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>

// A stand-in for a GPIB driver library with the same calls. It talks to no
// bus: it records each call and answers from queues the test fills.
namespace {
std::mutex gMutex;
std::string gCalls;
std::deque<int> gDevices;
std::deque<std::string> gReads;
thread_local int tLastCount = 0;

void Record(const std::string& call) {
    gCalls += call;
    gCalls += '\n';
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
    return handle;
}

int ibwrt(int ud, const void* buffer, long count) {
    std::lock_guard<std::mutex> lock(gMutex);
    const std::string text(static_cast<const char*>(buffer), static_cast<size_t>(count));
    Record("ibwrt(" + std::to_string(ud) + "," + text + "," + std::to_string(count) + ")");
    tLastCount = static_cast<int>(count);
    return 0;
}

int ibrd(int ud, void* buffer, long count) {
    std::lock_guard<std::mutex> lock(gMutex);
    Record("ibrd(" + std::to_string(ud) + "," + std::to_string(count) + ")");
    std::string data;
    if (!gReads.empty()) {
        data = gReads.front();
        gReads.pop_front();
    }
    const size_t n = std::min(data.size(), static_cast<size_t>(count));
    std::memcpy(buffer, data.data(), n);
    tLastCount = static_cast<int>(n);
    return 0;
}

int ibonl(int ud, int v) {
    std::lock_guard<std::mutex> lock(gMutex);
    Record("ibonl(" + std::to_string(ud) + "," + std::to_string(v) + ")");
    tLastCount = 0;
    return 0;
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
}

void FakeGpibQueueDevice(int handle) {
    std::lock_guard<std::mutex> lock(gMutex);
    gDevices.push_back(handle);
}

void FakeGpibQueueRead(const char* bytes, int length) {
    std::lock_guard<std::mutex> lock(gMutex);
    gReads.emplace_back(bytes, static_cast<size_t>(length));
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
