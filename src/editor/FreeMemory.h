#pragma once

// Hands memory the program no longer uses back to the system. After a
// large document is closed, the C library would otherwise keep the freed
// memory in its heap for the rest of the run (glibc gives back only what
// lies at the heap's end).
void giveFreeMemoryBack();
