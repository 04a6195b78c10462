#pragma once

class QWidget;

// How far below the top of a view's viewport its rows are made before they are scrolled to:
// the viewport's height and a page more, so that paging down shows finished rows.
int sightDepth(const QWidget *viewport);

// The fewest items a view makes rows for from its top, however small its viewport is: a view
// that was never laid out has no height to go by.
constexpr int kLeastRowsInSight = 24;
