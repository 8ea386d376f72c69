#include "main/Accessibility.h"

#include "catalogue/GTreeViewAccessible.h"
#include "hotzone/HotZoneAccessible.h"
#include "viewer/ViewerAccessible.h"

void InstallAccessibility() {
    InstallHotZoneAccessibility();
    InstallTreeAccessibility();
    InstallViewerAccessibility();
}
