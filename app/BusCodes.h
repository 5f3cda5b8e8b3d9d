#pragma once
// The numbers of the main window's command bus: a message is four integers (group, command, param,
// param2); the answer is one integer, -1 when no drawing window answered. Drawing windows and project
// containers answer with notifications (group 1, a code, two parameters).

namespace bus {

// The answer when no drawing window took the command.
constexpr int NoAnswer = -1;

// ---- Groups.
constexpr int GroupSelection = 1; // selection operations of the current drawing
constexpr int GroupView = 101;    // magnifier, grid, home position
constexpr int GroupStyle = 201;   // pen width, pen style, brush style, pattern sample
constexpr int GroupColor = 301;   // pen and brush colour
constexpr int GroupTool = 401;    // command = tool family, param = tool
constexpr int GroupFile = 501;    // picture and project file commands of the menus

// ---- Group 1: selection operations (the command is the operation's code).
constexpr int CmdUndo = 37;
constexpr int CmdFlipH = 51;
constexpr int CmdFlipV = 52;
constexpr int CmdRot90 = 53;
constexpr int CmdRot180 = 54;
constexpr int CmdRot270 = 55;
constexpr int CmdRotFreeBegin = 56;
constexpr int CmdRotFreePreview = 57; // param = angle in degrees
constexpr int CmdRotFreeCancel = 58;
constexpr int CmdRect = 59; // param = one of the rectangle operations below
constexpr int RectStore = 60;
constexpr int RectStretchFirst = 61;
constexpr int RectStretchLast = 64;
constexpr int CmdEraseClr = 65;
constexpr int CmdEraseRect = 66;
constexpr int CmdCut = 67;
constexpr int CmdCopy = 68;
constexpr int CmdPaste = 69; // param = X count, param2 = Y count (-1: diagonal)
constexpr int CmdApplyPaste = 70;

// ---- Group 101.
constexpr int CmdMagnifier = 102;
constexpr int CmdGrid = 104;
constexpr int CmdGridColor = 105; // param = colour
constexpr int CmdHome = 106;

// ---- Group 201.
constexpr int CmdPenWidth = 202;   // param = 1..5
constexpr int CmdPenStyle = 203;   // param = 0 solid, 1 dash, 2 dot
constexpr int CmdBrushStyle = 204; // param = 0, 2..7
constexpr int CmdPatternSample = 205;

// ---- Group 301.
constexpr int CmdPenColor = 302;   // param = colour
constexpr int CmdBrushColor = 303; // param = colour

// ---- Group 401: tool families (the command) and the tools (param).
constexpr int FamilySingle = 0;
constexpr int FamilyLine = 1;
constexpr int FamilyEllipse = 2;
constexpr int FamilyRect = 4;
constexpr int FamilyRoundRect = 6;
constexpr int FamilyDiamond = 11;
constexpr int FamilyMagnifier = 34;
constexpr int ToolLine = 1;
constexpr int ToolEllipse = 2;
constexpr int ToolFillEllipse = 3;
constexpr int ToolRect = 4;
constexpr int ToolFillRect = 5;
constexpr int ToolRoundRect = 6;
constexpr int ToolFillRoundRect = 7;
constexpr int ToolPen = 8;
constexpr int ToolEraser = 9;
constexpr int ToolEraserClr = 10;
constexpr int ToolDiamond = 11;
constexpr int ToolFillDiamond = 12;
constexpr int ToolDrop = 31;
constexpr int ToolSelect = 32;
constexpr int ToolText = 33;
constexpr int ToolMagnifier = 34;
constexpr int ToolFill = 35;
constexpr int ToolFillPattern = 36;

// ---- Group 501: picture commands (to the current drawing or every drawing).
constexpr int CmdReduceColors = 502; // param = number of colours
constexpr int CmdMachineColors = 504;
constexpr int CmdGrayScale = 505;
constexpr int CmdBlackWhite = 506; // param = one of the two below
constexpr int BlackWhiteThreshold = 507;
constexpr int BlackWhiteDither = 508;
constexpr int CmdResize = 509;
constexpr int CmdSaveImage = 511;
constexpr int CmdSaveImageAs = 512;
constexpr int CmdCountColors = 515;
constexpr int CmdSaveAllImages = 516;
constexpr int CmdCloseImages = 518;
constexpr int CmdExportSibling = 520;
constexpr int CmdImportSibling2 = 521;
constexpr int CmdImportSibling4 = 522;
// Group 501: project commands.
constexpr int CmdSaveProject = 513;
constexpr int CmdSaveProjectAs = 514;
constexpr int CmdSaveAllProjects = 517;
constexpr int CmdCloseProjects = 519;

// ---- Notifications of drawing windows and project containers (group 1; there is no code 4).
constexpr int NotifyGroup = 1;
constexpr int NotifyPenPicked = 2;   // param = colour
constexpr int NotifyBrushPicked = 3; // param = colour
constexpr int NotifyMouseXY = 5;     // param = needle, param2 = line from the bottom
constexpr int NotifyUndoSaved = 6;
constexpr int NotifyUndoDropped = 7;
constexpr int NotifyActivated = 8; // param = window number
constexpr int NotifyClosing = 9;   // param = window number
constexpr int NotifyTextPlaced = 10;

// ---- Commands of the brush, pen and width drop-down menus: first + index of the glyph.
constexpr int MenuCmdFirst = 1474;
constexpr int MenuCmdBrushFirst = 1474; // indexes 0..6
constexpr int MenuCmdPenFirst = 1481;   // indexes 7..9
constexpr int MenuCmdWidthFirst = 1484; // indexes 10..14
constexpr int MenuCmdLast = 1488;

} // namespace bus
