#pragma once

// Control calls of the fake GPIB driver that the tests load in place of a
// real one. The driver calls themselves carry the usual names.
extern "C" {
// Forgets every recorded call and queued answer.
void FakeGpibReset();
// The next ibdev returns `handle` (queued in order; 3 when nothing is queued).
void FakeGpibQueueDevice(int handle);
// The next ibrd delivers these bytes (queued in order; nothing when empty).
void FakeGpibQueueRead(const char* bytes, int length);
// The calls so far, one per line, e.g. "ibdev(0,5,0,11,11,1)".
// Copies at most `size` - 1 characters and returns the full length.
int FakeGpibCalls(char* out, int size);
}
