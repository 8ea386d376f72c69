#pragma once
// The hot-zone control as assistive tools (screen readers) see it: the control with one push
// button child per region, in map order, each with its region's box as its screen rectangle,
// its presentation's name, and a press action that presses the region as Space does.
#include "hotzone/HotZone.h"

// Makes Qt's accessibility create the control's interface; called by every control's
// constructor, effective once.
void InstallHotZoneAccessibility();

// Tells assistive tools that the keyboard focus is on the region at Index (-1: none).
void NotifyRegionFocus(TCustomHotZone *hot, int index);
// Tells them what a change of the region's flags means for them: its checked state (when its
// presentation is checkable) and its enabled state.
void NotifyRegionFlags(TCustomHotZone *hot, int index, THSFlags before, THSFlags after);
