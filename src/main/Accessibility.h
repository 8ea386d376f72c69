#pragma once
// How the program's own widgets present themselves to assistive tools (screen readers).

// Installs the interfaces of the hot zones, the catalogue tree and the viewer; effective once.
// Called at start-up, before any of those widgets is made.
void InstallAccessibility();
