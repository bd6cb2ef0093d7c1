// Large pages for the heap. A hypertext is held in memory while it is open
// (every page's text, every record); with the ordinary 4 KiB pages, opening
// or exporting one of a few hundred megabytes spends much of its time on page
// faults and address-translation misses. The C library backs its heap with
// transparent huge pages when the tunable glibc.malloc.hugetlb=1 is set, but
// reads tunables only from the environment when a program starts.
#pragma once

namespace ovik {

// Called first thing in main: when the environment does not name the
// tunable yet, adds it and starts the program again in place with the same
// arguments; the program started again puts the environment back as the
// user gave it, for the programs it starts. Does nothing (and the program
// goes on as it is) when OVIK_PLAIN_HEAP is set, when the tunable is already
// set, or when the program cannot be started again.
void UseHugeHeapPages(char** argv);

}  // namespace ovik
