// A layout pass runs through nested LayoutChildren calls, placing one element after another.
// Work that should see the finished layout rather than a half-placed tree (controls waiting
// under a moved control looking again) asks to run when the outermost pass on the thread ends.
#pragma once

namespace velmor::layout_pass {

// Marks a layout pass on the thread for its lifetime; the outermost one runs the work that
// waited for it when it ends.
class scScope {
 public:
  scScope();
  ~scScope();
  scScope(const scScope&) = delete;
  scScope& operator=(const scScope&) = delete;
};

// Whether a layout pass is running on the thread.
bool Running();
// Runs 'work' once when the outermost pass ends (asking again before then changes nothing).
void AtEnd(void (*work)());

}  // namespace velmor::layout_pass
