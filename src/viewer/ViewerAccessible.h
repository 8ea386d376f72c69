#pragma once
// The viewer's parts as assistive tools (screen readers) see them where Qt's defaults do not
// fit: the window is a window (not a bare filler) and the picture area an image. Names and
// descriptions come from the window.

// Makes Qt's accessibility create these interfaces; effective once. Called at start-up, before
// any viewer is made.
void InstallViewerAccessibility();
