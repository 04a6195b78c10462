#pragma once

class QWidget;

// Grows a window laid out for the usual font of about 7 pixels a character (its size in the
// designer) in proportion to its font's average character width, so that a user with larger
// fonts gets a larger window rather than cut texts. Never shrinks it.
void growWithFont(QWidget *window);
