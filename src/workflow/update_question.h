#pragma once
// The question the "Update" button asks before a run, shared by the window and the headless
// updater: the warning that the update clears all measurements (mf:+, in every mode); no
// question in internal mode; otherwise whether the measurements were saved. "\r\n" in a
// question is a line break.

// nullptr when the update starts without a question.
const char* updateQuestion();
