#pragma once
// The catalogue tree as assistive tools (screen readers) see it: a tree whose children are the
// nodes in view order (those reachable through expanded parents), each named by its caption and
// reporting whether it is expanded or collapsed. The tree's header is hidden and never shown,
// so it is no child either. The interface tells assistive tools when the tree reports the
// keyboard focus on a node and when a node is expanded or collapsed.
class TGTreeView;
class QTreeWidgetItem;

// Makes Qt's accessibility create the tree's interface; effective once. Called at start-up,
// before any tree is made.
void InstallTreeAccessibility();

// The node's place among the children (-1 when it is not in view).
int AccessibleNodeIndex(const TGTreeView *tree, const QTreeWidgetItem *node);
