#pragma once

// Makes OpenCV run its work on the thread that asks for it, with no worker
// threads of its own. The batch resize runs one face detector per core
// already; OpenCV's own threads would only compete with them. A setting of
// the whole process: the programs make it once, as they start, before any
// detector exists.
void KeepOpenCvOnCallingThreads();
