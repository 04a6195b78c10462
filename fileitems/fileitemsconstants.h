#pragma once

// The "More Action" button of rows and tiles: no menu arrow, no border, the three-dots icon.
const char kMoreActionStyle[] =
    "QPushButton::menu-indicator{ image:url(none.jpg); }QPushButton { border: 0px;}";
const char kMoreActionIcon[] = ":/embedded/UI/Resources/FzxUiMoreActionsDefault.png";
