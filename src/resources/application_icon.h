// The program's icon (resource 201): a quill over a text box, drawn at 16, 32, 48 and 256 pixels
// (icons/draw_application_icon.cpp made the pictures) and compiled in with Qt's resource system.
#pragma once

#include <QIcon>
#include <array>

namespace quillbrook {

inline constexpr unsigned kApplicationIconId = 201;
inline constexpr std::array<int, 4> kApplicationIconSizes = {16, 32, 48, 256};

// One icon holding the four pictures; a size in between is scaled from the nearest larger one.
// Needs a QGuiApplication to be turned into pixmaps.
QIcon applicationIcon();

} // namespace quillbrook
