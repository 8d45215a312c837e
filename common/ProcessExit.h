#pragma once

#include <cstdio>
#include <cstdlib>

// Ends the process with code once the program's own objects are gone, without running the
// exit handlers of the libraries loaded into it. A SANE backend cancels its reader thread
// asynchronously on sane_cancel; caught inside the C library it can leave a locale lock
// taken, and a library's exit handler then waits for that lock forever: the process would
// hang after its window closed, still holding the work folder's lock.
#ifdef QUILLARY_COVERAGE
extern "C" void __gcov_dump(void);
#endif

[[noreturn]] inline void leaveProcess(int code)
{
    std::fflush(nullptr);
#ifdef QUILLARY_COVERAGE
    __gcov_dump(); // _Exit skips the exit handler that would write the coverage counts
#endif
    std::_Exit(code);
}
