// The uninstall engine: component shutdown, printer and key removal, file and
// directory removal, the deferred-deletion batch and the uninstall sequence.
#pragma once

// The whole removal in its fixed order. 1 on success; 0 after a failure,
// whose message has been shown and the main window destroyed.
int RunUninstall();
