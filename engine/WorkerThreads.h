#pragma once
// Spreads numbered work items over the calling thread and worker threads that exist only for one
// call: they are started on entry and joined before the call returns, so nothing runs while the
// host does not call us and the library can be unloaded at any time.

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
