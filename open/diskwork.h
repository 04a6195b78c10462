#pragma once

#include <QString>
#include <QVector>

#include <functional>

// Runs step(i) for every i below count on several threads at once. Meant for steps that wait
// on the disk rather than on a core (each ends in a flush): the disk takes many flushes together
// in little more time than one. Returns why each step failed, "" for those that did not; it
// returns when every step has ended.
QVector<QString> onDiskThreads(int count, const std::function<QString(int)> &step);
