// The stack bound every recursive reader checks (the parser, the evaluator,
// the data-file readers): before it goes one level further it makes sure
// the thread's stack still has room, so that hostile input raises an
// ordinary error instead of running the process off its stack.
#pragma once

namespace kh {

// Raises "what is nested too deeply" when the stack of this thread has less
// than a safe margin left. Cheap: one comparison after the first call.
void checkStackRoom(const char* what);

}  // namespace kh
