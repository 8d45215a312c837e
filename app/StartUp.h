#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// Start-up decisions, kept apart from main() so they can be tested. GUI thread.
namespace StartUp {

inline constexpr auto ProductVersion = "14.1";

// The uninstall run: "-un" exactly, among more than one argument (the program name counts).
bool isUninstallRun(const QStringList &arguments);

// The files named on the command line (the desktop entry passes them with %F), made absolute
// against workingDir; "file:" URLs become paths. The program name and options (with the value
// of "--lang") are left out, and "--" ends the options.
QStringList commandLineFiles(const QStringList &arguments, const QString &workingDir);

// What a start asks to be told instead of opening a window.
enum class InfoRequest
{
    None,
    Help,    // -h, --help
    Version, // -v, --version
};

// The first of --help or --version among the options (up to "--"); None when neither is there.
InfoRequest infoRequest(const QStringList &arguments);

// The text --help prints: the program's command line, and where the console program is.
QString helpText();

// Runs the uninstall pass: no window, a local event loop for 2000 ms, then exit code 1.
int runUninstall();

// The vendor's host for the given system locale; QUILLARY_WEB_HOST overrides it (tests).
QString webHostFor(const QLocale &locale);

// The vendor's one fixed host, whatever the locale; QUILLARY_WEB_HOST overrides it (tests).
QString vendorHost();

// Stores the host for the system locale under AppUrl, as every start does.
void storeWebHost();

// Names the settings store and the per-user data location.
void nameApplication();

// The language the user asked for: "--lang CODE" (or "--lang=CODE"), else the first entry of
// LANGUAGE, else the system's. An asked-for language also becomes the default locale, so that
// the defaults drawn from the locale follow it.
QLocale chooseLocale(const QStringList &arguments);

} // namespace StartUp
