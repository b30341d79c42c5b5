#pragma once
// The program's registration identifiers and its two start-up failure messages, in one place.
// Linux has no component object model, so nothing registers these; a replacement
// registration (e.g. a D-Bus name or desktop entry) must use them as they are.

namespace setrion::app {

inline constexpr const char* kProgrammaticId = "Qx7SerialSet.Application";
inline constexpr const char* kClassId = "{45CB1BFF-78CE-4B47-89CD-E0CD7B68C5E9}";
inline constexpr const char* kProxyInterfaceId = "{FC3ED639-A85E-4166-B745-B233F48D8610}";

// Resource string 100 (two blanks after the first full stop, as the program shows it).
inline constexpr int kOleInitFailedId = 100;
inline constexpr const char* kOleInitFailed =
    "OLE initialization failed.  Make sure that the OLE libraries are the correct version.";
// Resource string 105.
inline constexpr int kSocketInitFailedId = 105;
inline constexpr const char* kSocketInitFailed = "Windows sockets initialization failed.";

// The main dialog's template and its Exit button (the OK button).
inline constexpr int kMainDialogTemplate = 102;
inline constexpr int kExitButtonId = 1;

}  // namespace setrion::app
