#pragma once

// Control calls of the fake GPIB driver that the tests load in place of a
// real one. The driver calls themselves carry the usual names and signatures.
extern "C" {
// Forgets every recorded call, queued answer and write time.
void FakeGpibReset();
// The next ibdev returns `handle` (queued in order; 3 when nothing is queued).
void FakeGpibQueueDevice(int handle);
// A whole reply, ready at once: read up to its last byte, which comes with EOI.
void FakeGpibQueueRead(const char* bytes, int length);
// A piece of a reply, ready `delayMs` after the piece before it was read (or
// after now, when nothing is queued); with EOI on its last byte when `end`.
void FakeGpibQueuePiece(const char* bytes, int length, int delayMs, int end);
// Every query written from now on (a text ending in '?') is answered with
// `reply`, ready `delayMs` after the query; "" answers nothing.
void FakeGpibAnswerQueries(const char* reply, int delayMs);
// When `text` was last written, in nanoseconds of the steady clock; -1 when
// it never was.
long long FakeGpibLastWriteNs(const char* text);
// From now on ibwrt and ibrd move nothing and return `status` (0: they
// behave as usual again).
void FakeGpibSetStatus(int status);
// The calls so far, one per line, e.g. "ibdev(0,5,0,11,11,1)".
// Copies at most `size` - 1 characters and returns the full length.
int FakeGpibCalls(char* out, int size);
}
