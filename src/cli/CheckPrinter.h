#pragma once

class TestDocument;

// zld-run --check on a loaded test: prints every finding of the check, one a
// line ("error: step 4: ..."), then "estimated duration: h:mm:ss", on stdout,
// and returns the exit code: kFinished without an error, kCheckFailed with
// one, kNotStarted when the test file is missing or cannot be read (it loads
// as an empty table, which would pass).
int CheckCommand(const TestDocument& test);
