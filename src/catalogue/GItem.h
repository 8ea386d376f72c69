#pragma once
// The current topic's items.
#include <QString>

// Items are taken in alphabetical order of their section names ("General"/"Ordenar").
extern bool SortItems;

// Reads "Ordenar" from GresDir + "GES.INI" (and from nowhere else).
void ReadSortItems();
