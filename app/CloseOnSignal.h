#pragma once
// A desktop session that ends, or `kill`, asks the program to stop with SIGTERM (SIGHUP when its
// terminal goes): the window then closes the ordinary way, through its close question and the
// remembered file, instead of dying with the changes unsaved.
class QWidget;

namespace moriva {

// Closes `window` when SIGTERM or SIGHUP arrives. Call once, before the window loop runs.
void CloseOnTerminationSignals(QWidget* window);

}  // namespace moriva
