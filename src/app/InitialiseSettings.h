#pragma once
// Start-of-run state shared by every window: the help folder and the default output settings.

// Sets HelpFolder, then every field of OutputSettings to its default.
void InitialiseSettings();
