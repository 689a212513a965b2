#pragma once

namespace kel {

// Loads the settings dialog and runs it until it closes; closing ends the
// program. KelErrors from loading propagate to the caller's report.
int RunSettingsDialog();

}  // namespace kel
