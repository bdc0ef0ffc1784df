#pragma once

// The application's settings before its first window: the title shown in the taskbar and as the
// caption of error reports, and the desktop entry the windows belong to.
void InitializeApplication();
