// Where a benchmark thread runs: one thread per processor, so that two never share one while
// another processor idles.
#pragma once

// Binds the calling thread to the `index`-th processor this process may run on (counting
// from 0, wrapping past the last). False where the system does not let a program ask; the
// thread then runs wherever the system puts it. `processor`, when given, receives the
// system's number of the processor (the number its topology records use), -1 when unpinned.
bool PinThreadToProcessor(int index, int* processor = nullptr);
