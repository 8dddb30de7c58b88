#pragma once

// The windows of the report engine as the parts without widgets see them: the preview and
// the progress window are made by the window part of the library (pwstandardpreview.cpp,
// pwprogressform.cpp), so that generation and the printer object stay free of widgets.

#include <memory>

class QWidget;

namespace report {

class TPWPrinter;
class TPWReport;

/// A progress window shown while a print lasts; it goes away with the object.
class ProgressWindow
{
public:
    virtual ~ProgressWindow() = default;
};

/// Shows the progress window for a print and makes it the printer object's client.
std::unique_ptr<ProgressWindow> makeProgressWindow(TPWReport *report, TPWPrinter &printer);

/// Shows the standard preview window for a printer object. Modal: returns once the window
/// has closed. Otherwise the call still waits, handling events, until the window closes or
/// the application quits.
void showStandardPreview(TPWPrinter &printer, bool modal);

} // namespace report
