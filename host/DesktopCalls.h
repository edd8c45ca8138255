#pragma once
// The test host's stand-ins for what a plug-in asks of the user's desktop. After a Windows
// library is loaded, its imports of the message box and of the shell's open call are pointed at
// recorders of this program, so a run never waits for someone to answer and never starts a
// browser, and the tests read what the plug-in said and what it asked to open. The library
// itself knows nothing of this: it calls the system as it does in any host.

#include <string>
#include <vector>

namespace host {

struct DesktopMessage {
    std::string caption; // UTF-8
    std::string text;
};

// Redirects the message box and shell imports of a loaded library (its module handle). False,
// with the reason in `error`, when its import table cannot be read or changed. Elsewhere than on
// Windows there is nothing to redirect: true.
bool RedirectDesktopCalls(void* module, std::string* error);

// What the loaded libraries showed, oldest first. A message box is answered OK, a question
// Cancel, as nobody is there to answer.
std::vector<DesktopMessage> DesktopMessages();
// What they asked the shell to do, oldest first, as "<verb> <target>" in UTF-8 ("open C:\...").
std::vector<std::string> ShellRequests();
void ClearDesktopRecord();

} // namespace host
