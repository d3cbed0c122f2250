// The ids of the menu item dialog's (104) controls, as its template numbers them. They live here,
// beside the template, so that the table of a menu item's settings can name the control of each.
#pragma once

namespace quillbrook::menu_item_control {

inline constexpr int Label = 203;
inline constexpr int EditorName = 204;
inline constexpr int EditorProgramFile = 205;
inline constexpr int BrowseEditorProgram = 206;
inline constexpr int CommandLine = 207;
inline constexpr int DeleteTemporaryFile = 208;
inline constexpr int CloseAtSaving = 209;
inline constexpr int CarbonCopy = 210;
inline constexpr int CarbonCopyFile = 211;
inline constexpr int BrowseCarbonCopyFile = 212;
inline constexpr int Extension = 213;
inline constexpr int AlwaysAskTemplate = 214;
inline constexpr int TemplateFile = 215;
inline constexpr int BrowseTemplateFile = 216;
inline constexpr int UseTemplateFile = 218;
inline constexpr int CodePage = 225;

} // namespace quillbrook::menu_item_control
