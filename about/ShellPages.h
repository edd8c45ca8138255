#pragma once
// Manual pages and web pages, opened in the user's browser by the Windows shell on short-lived
// threads, so that a slow browser start never blocks a dialog.
//
// A request is dropped while a shell thread is inside its shell call (the busy flag, raised by
// the thread itself). Every shell thread holds a reference to this library until its last
// instruction, so even a thread that outlasts the dialog's bounded wait can never run in an
// unloaded library.

#include <windows.h>

#include <cstdint>
#include <string>

// Page selectors of the manual.
constexpr int kManualMainPage = 0;
constexpr int kManualParametersPage = 777;
constexpr const char* kManualMainFile = "VortifluxManual.html";
constexpr const char* kManualParametersFile = "VortifluxManual_parameters.html";

// Our web site: its caption, home page and the product page (plain HTTP).
constexpr const char* kVendorSiteCaption = "www.nimbrook.example.com";
constexpr const char* kHomePage = "http://www.nimbrook.example.com/";
constexpr const char* kProductPage =
    "http://www.nimbrook.example.com/products/products.php?menu=get_prod_id&p_menustate=&prod_id=22";

// The file of a manual page: HelpFolder + the page's file (777 the parameters page, any other
// selector the main page), in UTF-8; the shell is handed its UTF-16 form.
std::string ManualPagePath(int page);

// Opens a manual page (kManualMainPage or kManualParametersPage) with `owner` as the owner of
// anything the shell shows. Nothing happens while a shell thread is busy.
void OpenManualPage(int page, HWND owner);
// Opens `address` in the browser; the same rules.
void OpenWebPage(const char* address, HWND owner);

// Thread bodies of the two requests (started by the two functions above).
void ShowManualPage(void* request);
void ShowWebPage(void* request);

// True while a shell thread is inside its shell call.
bool ShellThreadBusy();

// Teardown of a dialog: waits at most `milliseconds` for the shell threads still running and
// releases their handles. A thread that is still in its shell call afterwards finishes on its
// own and then lets the library go. True when every thread had ended.
constexpr uint32_t kShellThreadWait = 5000;
bool CloseShellThreads(uint32_t milliseconds = kShellThreadWait);

// Tests take the requests instead of a browser: in-process through the platform layer's shell
// request handler, and for the built library by the test host, which redirects the library's
// import of the shell's open call to a recorder of its own.
