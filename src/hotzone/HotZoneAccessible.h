#pragma once
// The hot-zone control as assistive tools (screen readers) see it: the control with one push
// button child per region, in map order, each with its region's box as its screen rectangle,
// its presentation's name, and a press action that presses the region as Space does. The
// interface passes on what the control's signals report: the keyboard focus on a region, and
// changes of a region's checked (when its presentation is checkable) and enabled states.

// Makes Qt's accessibility create the control's interface; effective once. Called at start-up,
// before any control is made.
void InstallHotZoneAccessibility();
