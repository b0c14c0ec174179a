#pragma once
// What the host executable does, from its command line to its exit status:
//   0  ran and ended normally (or printed the report, or saved the screenshot cleanly)
//   1  a failure was shown during an unattended run, the screenshot could not be saved,
//      or the report failed
//   2  the settings or the command line were refused
// The application object (TApplication) must exist.

#include <QStringList>

int RunHost(const QStringList& arguments);

// Before the application object exists: lets a run that needs no operator (--screenshot,
// --print-report) work on a machine with no display, by choosing Qt's offscreen platform
// when no platform and no display are given.
void PrepareHeadlessPlatform(int argc, char** argv);
