#pragma once

class QWidget;

// How far below the top of a view's viewport its rows are made before they are scrolled to:
// the viewport's height and a page more, so that paging down shows finished rows.
int sightDepth(const QWidget *viewport);

// How long the pane's views work on rows in one turn of the host's event loop, so that it
// never stalls for long however many rows are to be made.
constexpr int kBuildStepMs = 16;

// The fewest items a view makes rows for from its top, however small its viewport is: a view
// that was never laid out has no height to go by.
constexpr int kLeastRowsInSight = 24;
