#pragma once

#include <QIcon>

// The main window's image list: ten small pictures shared by the toolbar and the menu,
// drawn in code so they stay sharp at any device pixel ratio.
namespace icons {

enum Index {
    PrintImage = 0,
    ExitImage = 1,
    NextPageImage = 2,
    PrevPageImage = 3,
    FirstPageImage = 4, // in the list but shown by nothing
    LastPageImage = 5,  // in the list but shown by nothing
    PageWidthImage = 6,
    WholePageImage = 7,
    FontImage = 8,
    PrintSetupImage = 9,
};

constexpr int ImageCount = 10;

// The icon at index 0..9 with pixmaps at 16, 24, 32, 48 and 64 pixels; a null icon for
// any other index.
QIcon ImageListIcon(int index);

// The program's own icon, the picture installed for the desktop, at every size installed
// (16 to 256 pixels), from the program's resources.
QIcon ProgramIcon();

} // namespace icons
