#pragma once
// The module popup menu of the module editor windows: New Item, Delete, Copy, Cut, Insert, Paste,
// Select all, Deselect all, Invert Selection, Special Functions, Delete Contents and Go to, with
// separators, captions in Arabic and English and the shortcuts shown on the items. The knitting-scheme
// window's menu has "Insert mirror" and "Paste mirror" after "Paste". A container attaches the menu
// (MRContainerPanel::SetPopupMenu): its items run the container's commands and the container takes
// their keys before its cells.

class MPopupMenu;
class QObject;

// The command (TContainerCommand) of the item at a position; ccNone for separators and positions
// past the items.
int ModuleMenuCommandAt(bool KnittingScheme, int Position);
// The number of items, separators included.
int ModuleMenuItemCount(bool KnittingScheme);

// Builds the menu. Owner: the window form, which owns the menu and its items, so that they follow
// its language (the menu stands right-aligned and runs right to left in Arabic). The items are
// named as the program knows them: NewITM, DeleteITM, BRK1, CopyITM, ...
MPopupMenu* MakeModulePopupMenu(QObject* Owner, bool KnittingScheme);
