#pragma once
// Spreads numbered work items over the calling thread and worker threads. Normally the workers
// exist only for one call: they are started on entry and joined before the call returns, so
// nothing runs while the host does not call us and the library can be unloaded at any time.
// While the dialog renders one preview after another, KeepWorkerThreads keeps them waiting
// between calls instead (starting a thread costs a millisecond and more on some systems).

// Runs work(context, item) once for every item 0..itemCount - 1, on the calling thread and up to
// threadCount - 1 workers (fewer when they cannot be started: the calling thread then does the
// rest; workers compute in the engine's float mode, FloatMode.h). After each item it completes, the calling thread
// calls progress(context, itemsDone) (itemsDone counts items finished by any thread), and once more with itemCount at
// the end; progress may be null.
void RunWorkItems(int itemCount, int threadCount, void (*work)(void* context, int item),
                  void (*progress)(void* context, int itemsDone), void* context);

// How many threads a render of `pixels` pixels is worth: every processor, but one for renders so
// small that starting threads costs more than it saves.
int RenderThreadCount(long long pixels);

// True: the workers of the next calls stay, waiting, until KeepWorkerThreads(false), which ends
// and joins them. Whoever keeps them ends them before control goes back to the host for good
// (the dialog's teardown does).
void KeepWorkerThreads(bool keep);
// Workers currently kept waiting (tests).
int KeptWorkerThreads();
