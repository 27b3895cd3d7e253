#pragma once

class ScopedHome;

// Puts three entries on the temporary home's Desktop: holiday.mov (2.4 GB,
// sparse), report.pdf (12 MB, sparse) and notes.txt (5 bytes), together a
// moderate load of 2.41 GB. Returns false when the folder cannot be made.
bool putSampleDesktop(const ScopedHome& home);
