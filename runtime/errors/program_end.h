// The orderly end of the program and the runtime state it shares with error reports.
//
// EndProgram performs, on the GUI thread:
//   0. run the end hold (below), on whatever thread ends the program;
//   1. (on any other thread) hand the end to the GUI thread through the forwarder and end the
//      process at once when that returns;
//   2. set the ending flag and raise the error nesting count, so no event handler runs any more;
//   3. run the registered clean-ups in registration order, then empty the list;
//   4. to 7. run the end hooks of each EndStage in order (libraries told of the end, declared
//      modules unloaded, runtime objects released, network and OLE shut down);
//   8. end the process with the exit code.
#pragma once

#include <functional>
#include <thread>

namespace lq {

// Private window message with which the window model hands EndProgram to its GUI thread
// (wParam: the exit code).
inline constexpr unsigned kEndProgramMessage = 0x83e7;

// Error nesting count: raised when a report begins and when the program ends. While it is 1 or
// more no event is dispatched.
int ErrorNestingCount();
inline bool EventDispatchSuspended() { return ErrorNestingCount() > 0; }
void EnterErrorReport();

// Set once the orderly end has started.
bool IsProgramEnding();

// Clean-up routines, called with their 0-based position in the list when the program ends.
using CleanupRoutine = void (*)(int position);
// Adds a routine at the end of the list unless it is there already.
void RegisterCleanup(CleanupRoutine routine);
// Empties the list without running anything (a fatal report does this).
void ClearCleanups();

// What other runtime layers do at the end, in this order. Each hook runs once.
enum class EndStage {
  kNotifyLibraries,        // tell each runtime library that the program ends
  kUnloadDeclaredModules,  // unload the modules of declared functions, clear their tables
  kReleaseObjects,         // cached icons, the hidden owner window, other runtime objects
  kShutDownPlatform,       // network socket library, OLE
};
void AddEndHook(EndStage stage, std::function<void()> hook);

// The thread that owns the windows; until it is set every thread counts as the GUI thread.
void SetGuiThread(std::thread::id id);
bool IsGuiThread();

// Called by EndProgram on a thread other than the GUI thread. It hands the end to the GUI thread
// (which then ends the process) and returns true when it could; the process then ends at once
// with the exit code. Returning false (no owner window) lets the calling thread do the end itself.
using EndProgramForwarder = std::function<bool(int exitCode)>;
void SetEndProgramForwarder(EndProgramForwarder forwarder);

// Work of an upper layer that no end may cut in the middle (a file step of an installation): a
// routine that waits, within a limit of its own, for such work in progress to end and then lets
// none begin. Every end runs it first, on the thread that ends the program: EndProgram on any
// thread (a worker before it hands the end over, and the GUI thread again when the end arrives
// there) and RunEndSteps. So it runs more than once, on more than one thread, and must stand
// that. nullptr: none.
using EndHold = void (*)();
void SetEndHold(EndHold hold);

// The end hold, then steps 2 to 7: what the runtime does when its message loop has returned; the
// caller then ends the process normally.
void RunEndSteps();

// The orderly end. Never returns.
[[noreturn]] void EndProgram(int exitCode);

// Step 8 ends the process through this; the default is ExitProcess on Windows and std::exit
// elsewhere. A replacement must not return (tests throw). nullptr restores the default.
using ProcessTerminator = void (*)(int exitCode);
ProcessTerminator SetProcessTerminator(ProcessTerminator terminator);

// The platform's process end, the default terminator.
[[noreturn]] void EndProcess(int exitCode);

// Back to the state at start-up: count 0, not ending, no clean-ups, hooks, end hold, GUI thread
// or forwarder. For tests that end the program more than once in one process.
void ResetProgramEndState();

}  // namespace lq
